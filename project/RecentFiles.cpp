#include "project/RecentFiles.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QRegularExpression>

#include "base/Decimal.h"
#include "base/Errors.h"
#include "base/TextCodec.h"
#include "project/FileIo.h"

namespace velm {

namespace {

QString Trimmed(const QString& s) {
  const std::string utf8 = s.toStdString();
  return QString::fromStdString(std::string(Trim(utf8)));
}

constexpr char kSeparatorName[] = "IRecentFilesEnd";

}  // namespace

void TRecentFiles::Add(const QString& path) {
  if (FMaximum < 1) return;
  const QString key = Trimmed(path);
  for (qsizetype k = 0; k < FEntries.size(); ++k) {
    if (Trimmed(FEntries[k]) == key) {
      FEntries.removeAt(k);
      FEntries.prepend(path);
      return;
    }
  }
  // Only a list exactly at its maximum drops its oldest entry; one that came longer from the
  // file keeps growing.
  if (FEntries.size() == FMaximum) FEntries.removeLast();
  FEntries.prepend(path);
}

bool TRecentFiles::Remove(const QString& path) {
  const QString key = Trimmed(path);
  for (qsizetype k = 0; k < FEntries.size(); ++k) {
    if (Trimmed(FEntries[k]) == key) {
      FEntries.removeAt(k);
      return true;
    }
  }
  return false;
}

void TRecentFiles::Parse(std::string bytes, const std::string& source) {
  TTextLines lines(std::move(bytes));
  const std::string where = source.empty() ? std::string("最近文件列表") : "“" + source + "”";
  auto integer = [&](const char* what) {
    const std::string line = lines.Next();
    const auto v = ParseInteger(line);
    if (!v || *v < std::numeric_limits<int>::min() || *v > std::numeric_limits<int>::max())
      throw TInputError(where + "第 " + std::to_string(lines.LinesRead()) + " 行（" + what +
                        "）：“" + line + "”不是有效的整数");
    return static_cast<int>(*v);
  };
  const int maximum = integer("最大数目");
  const int count = integer("数目");
  QStringList entries;
  for (int i = 0; i < count && !lines.AtEnd(); ++i)
    entries.prepend(QString::fromStdString(lines.Next()));
  FMaximum = maximum;
  FEntries = entries;
}

void TRecentFiles::Load(const QString& fileName) {
  const QFileInfo info(fileName);
  if (!info.exists()) return;
  // A list of at most a few hundred paths: anything far larger is not one.
  constexpr qint64 kMaxListSize = 1 << 20;
  if (info.isFile() && info.size() > kMaxListSize)
    throw TFileError("“" + DisplayName(fileName) + "”有 " + std::to_string(info.size()) +
                     " 字节，不是最近文件列表");
  Parse(ReadWholeFile(fileName), DisplayName(fileName));
}

std::string TRecentFiles::Serialize() const {
  std::string out = std::to_string(FMaximum) + "\r\n" + std::to_string(FEntries.size()) + "\r\n";
  for (qsizetype i = FEntries.size() - 1; i >= 0; --i)
    out += Trimmed(FEntries[i]).toStdString() + "\r\n";
  return Utf8ToGb(out);
}

void TRecentFiles::Save(const QString& fileName) const { WriteWholeFile(fileName, Serialize()); }

QString RecentFilesPath(const QString& programPath) {
  const QFileInfo info(programPath);
  const QString suffix = info.suffix();
  QString base = programPath;
  if (!suffix.isEmpty()) base.chop(suffix.size() + 1);
  return base + QStringLiteral(".opt");
}

bool IsRecentFileAction(const QObject* action) {
  static const QRegularExpression name(QStringLiteral("^I[0-9]+$"));
  return action && name.match(action->objectName()).hasMatch();
}

void ShowRecentFiles(QMenu* fileMenu, const TRecentFiles& list,
                     const std::function<void(const QString&)>& open) {
  if (!fileMenu) return;
  for (QAction* a : fileMenu->actions()) {
    if (IsRecentFileAction(a) || a->objectName() == QLatin1String(kSeparatorName)) {
      // Later, not now: this may run inside the triggered signal of the very entry.
      fileMenu->removeAction(a);
      a->deleteLater();
    }
  }
  const QList<QAction*> actions = fileMenu->actions();
  QAction* before = TRecentFiles::kFirstPosition < actions.size()
                        ? actions[TRecentFiles::kFirstPosition]
                        : nullptr;
  const int count = list.Count();
  for (int i = 0; i < count; ++i) {
    const QString path = list.Entries()[i];
    auto* item = new QAction(fileMenu);
    item->setObjectName(QStringLiteral("I%1").arg(count - 1 - i));
    // "&&" shows one "&": the caption stays exactly the path.
    item->setText(QString(path).replace(QChar('&'), QStringLiteral("&&")));
    item->setData(path);
    QObject::connect(item, &QAction::triggered, fileMenu, [open, path] {
      if (open) open(path);
    });
    fileMenu->insertAction(before, item);
  }
  if (count > 0) {
    auto* separator = new QAction(fileMenu);
    separator->setObjectName(QLatin1String(kSeparatorName));
    separator->setSeparator(true);
    fileMenu->insertAction(before, separator);
  }
}

}  // namespace velm
