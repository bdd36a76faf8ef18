#pragma once
// Facts about the running program that the window needs: where the program file lives (the
// packing table, the project dialogs' start directory) and its path without extension (the
// recent-files list is that path with ".opt").
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

 private:
  QString FMypath;
  QString FMypathName;
};

}  // namespace velm
