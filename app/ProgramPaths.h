#pragma once
// Facts about the running program that the window needs: where the program file lives, its
// path without extension, where the files shipped with it lie (the packing table, the report
// template, the help file) and where this user's own files go (the recent-files list).
#include <QString>

namespace velm {

class TMyAppConst {
 public:
  // Uses the running program's file (QCoreApplication::applicationFilePath()).
  TMyAppConst();
  // For a given program file; used by tests and by callers that know the path.
  explicit TMyAppConst(const QString& programFile);

  // Directory of the program file, without a trailing separator.
  const QString& Mypath() const { return FMypath; }
  // Full path of the program file without its extension.
  const QString& MypathName() const { return FMypathName; }
  // Folder of the shipped files: Mypath in a build folder or a portable copy, PREFIX/share/velm
  // when the program is installed as PREFIX/bin/velm (see base/DataFiles.h).
  const QString& DataPath() const { return FDataPath; }

  // Where this user's file with `suffix` (".opt": the recent-files list) is kept. A portable
  // copy (its shipped files beside it) in a folder this user may write keeps it beside the
  // program, MypathName + suffix; otherwise it goes to the user's configuration folder,
  // UserConfigPath() + "/" + program name + suffix.
  QString UserFile(const QString& suffix) const;

  // The user's configuration folder for the program (~/.config/velm on Linux); it need not
  // exist yet.
  static QString UserConfigPath();

 private:
  QString FMypath;
  QString FMypathName;
  QString FDataPath;
};

}  // namespace velm
