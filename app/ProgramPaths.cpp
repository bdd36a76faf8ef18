#include "app/ProgramPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "base/DataFiles.h"

namespace velm {

namespace {

// The running program's file. The batch mode that writes no files runs without an application
// object (it would load and start much of Qt for nothing); the system then names the program.
QString ProgramFile() {
  if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath();
  return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

}  // namespace

TMyAppConst::TMyAppConst() : TMyAppConst(ProgramFile()) {}

TMyAppConst::TMyAppConst(const QString& programFile) {
  const QFileInfo info(programFile);
  FMypath = QDir::cleanPath(info.absolutePath());
  // The root directory is the only one whose clean form ends with a separator.
  while (FMypath.size() > 1 && FMypath.endsWith(QLatin1Char('/'))) FMypath.chop(1);
  // Only the last suffix is the extension: "velm.2017.exe" -> "velm.2017". A name that starts
  // with a dot and has no other dot has no extension.
  QString name = info.fileName();
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  if (dot > 0) name.truncate(dot);
  FMypathName = FMypath == QLatin1String("/") ? FMypath + name : FMypath + QLatin1Char('/') + name;
  FDataPath = QFile::decodeName(DataDirectory(QFile::encodeName(FMypath).toStdString()).c_str());
}

QString TMyAppConst::UserFile(const QString& suffix) const {
  if (FDataPath == FMypath && QFileInfo(FMypath).isWritable()) return FMypathName + suffix;
  return UserConfigPath() + QLatin1Char('/') + QFileInfo(FMypathName).fileName() + suffix;
}

QString TMyAppConst::UserConfigPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QLatin1Char('/') + QString::fromLatin1(kDataFolderName);
}

}  // namespace velm
