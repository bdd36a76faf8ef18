#include "help/HelpFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QHelpEngine>
#include <QRegularExpression>
#include <QTextDocumentFragment>
#include <algorithm>

namespace velm {

QMap<int, QString> ParseHelpMap(const QString& text) {
  QMap<int, QString> map;
  for (const QString& raw : text.split(QLatin1Char('\n'))) {
    const QString line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    const QStringList parts = line.split(QRegularExpression(QStringLiteral("\\s+")));
    bool ok = false;
    const int h = parts.value(0).toInt(&ok);
    if (ok && parts.size() >= 2) map.insert(h, parts[1]);
  }
  return map;
}

QMap<int, QString> ParsePopups(const QString& text) {
  QMap<int, QString> popups;
  int current = -1;
  QStringList lines;
  auto flush = [&] {
    if (current >= 0) popups.insert(current, lines.join(QLatin1Char('\n')).trimmed());
    lines.clear();
  };
  for (const QString& raw : text.split(QLatin1Char('\n'))) {
    QString line = raw;
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    if (line.startsWith(QLatin1String(".topic"))) {
      flush();
      bool ok = false;
      current = line.mid(6).trimmed().toInt(&ok);
      if (!ok) current = -1;
      continue;
    }
    if (current >= 0) lines << line;
  }
  flush();
  return popups;
}

QString PlainTextOfPage(const QString& html) {
  // Script and style blocks hold no readable text.
  QString body = html;
  body.remove(QRegularExpression(
      QStringLiteral("<(script|style|title)[^>]*>.*?</\\1>"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption));
  return QTextDocumentFragment::fromHtml(body).toPlainText().simplified();
}

QString TitleOfPage(const QString& html) {
  static const QRegularExpression title(
      QStringLiteral("<title>(.*?)</title>"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  const QRegularExpressionMatch m = title.match(html);
  return m.hasMatch() ? m.captured(1).simplified() : QString();
}

THelpFile::~THelpFile() = default;

std::unique_ptr<THelpFile> THelpFile::Open(const QString& qchPath, const QString& collectionDir,
                                           QString* error) {
  auto fail = [error](const QString& text) {
    if (error) *error = text;
    return std::unique_ptr<THelpFile>();
  };
  const QFileInfo info(qchPath);
  if (!info.isFile()) return fail(QStringLiteral("找不到帮助文件 %1").arg(qchPath));
  const QString ns = QHelpEngineCore::namespaceName(info.absoluteFilePath());
  if (ns.isEmpty()) return fail(QStringLiteral("%1 不是有效的帮助文件").arg(qchPath));

  // One collection per help file and version of it: a rebuilt or moved help file gets a fresh
  // collection, so the contents and index never come from an older file.
  if (!QDir().mkpath(collectionDir))
    return fail(QStringLiteral("无法创建帮助索引目录 %1").arg(collectionDir));
  const QByteArray identity =
      (info.absoluteFilePath() + QLatin1Char('|') + QString::number(info.size()) +
       QLatin1Char('|') + QString::number(info.lastModified().toMSecsSinceEpoch()))
          .toUtf8();
  const QString tag = QString::fromLatin1(
      QCryptographicHash::hash(identity, QCryptographicHash::Sha1).toHex().left(12));
  const QString collection =
      QDir(collectionDir).filePath(QStringLiteral("VELMHelp-%1.qhc").arg(tag));

  std::unique_ptr<THelpFile> file(new THelpFile);
  file->FEngine = std::make_unique<QHelpEngine>(collection);
  QHelpEngine& engine = *file->FEngine;
  // The collection is ours to write (Qt Help opens collections read-only by default).
  engine.setReadOnly(false);
  engine.setUsesFilterEngine(true);
  if (!engine.setupData())
    return fail(QStringLiteral("无法打开帮助索引 %1: %2").arg(collection, engine.error()));
  const QString registered = engine.documentationFileName(ns);
  if (QFileInfo(registered) != info) {
    if (!registered.isEmpty()) engine.unregisterDocumentation(ns);
    if (!engine.registerDocumentation(info.absoluteFilePath()))
      return fail(QStringLiteral("无法注册帮助文件 %1: %2").arg(qchPath, engine.error()));
    engine.setupData();
  }
  file->FNamespace = ns;
  file->FFileName = info.absoluteFilePath();
  file->FMap = ParseHelpMap(QString::fromUtf8(file->FileData(file->Url("helpmap.txt"))));
  file->FPopups = ParsePopups(QString::fromUtf8(file->FileData(file->Url("popups.txt"))));
  return file;
}

QUrl THelpFile::Url(const QString& relative) const {
  return QUrl(QStringLiteral("qthelp://%1/doc/%2").arg(FNamespace, relative));
}

QUrl THelpFile::Topic(int h) const {
  const auto it = FMap.find(h);
  if (it == FMap.end()) return {};
  const QUrl url = Url(it.value());
  return FileData(url).isEmpty() ? QUrl() : url;
}

QString THelpFile::Popup(int h) const { return FPopups.value(h); }

QByteArray THelpFile::FileData(const QUrl& url) const {
  QUrl file = url;
  file.setFragment(QString());
  return FEngine->fileData(file);
}

QList<QUrl> THelpFile::Pages() const {
  return FEngine->files(FNamespace, QString(), QStringLiteral("html"));
}

QList<THelpSearchHit> THelpFile::Search(const QString& query) const {
  const QStringList words = query.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (words.isEmpty()) return {};
  if (FPlain.isEmpty()) {
    for (const QUrl& page : Pages()) {
      const QString html = QString::fromUtf8(FileData(page));
      FPlain.append({page, {TitleOfPage(html), PlainTextOfPage(html)}});
    }
  }
  QList<THelpSearchHit> hits;
  for (const auto& [url, page] : FPlain) {
    const QString& text = page.second;
    THelpSearchHit hit;
    qsizetype first = -1;
    bool all = true;
    for (const QString& word : words) {
      const qsizetype at = text.indexOf(word, 0, Qt::CaseInsensitive);
      if (at < 0) {
        all = false;
        break;
      }
      if (first < 0) first = at;
      hit.Count += static_cast<int>(text.count(word, Qt::CaseInsensitive));
    }
    if (!all) continue;
    hit.Url = url;
    hit.Title = page.first;
    const qsizetype from = std::max<qsizetype>(0, first - 20);
    hit.Snippet = (from > 0 ? QStringLiteral("…") : QString()) + text.mid(from, 60) +
                  (from + 60 < text.size() ? QStringLiteral("…") : QString());
    hits.append(hit);
  }
  std::stable_sort(hits.begin(), hits.end(), [](const THelpSearchHit& a, const THelpSearchHit& b) {
    return a.Count > b.Count;
  });
  return hits;
}

}  // namespace velm
