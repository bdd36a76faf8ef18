#pragma once
// The list of recently opened projects shown in the file menu, newest first, and the small
// text file beside the program that keeps it between runs.
//
// The file (GB2312 text, CR LF lines): the maximum, the count N, then the N paths, oldest first.
#include <QString>
#include <QStringList>
#include <functional>
#include <string>

class QMenu;
class QObject;

namespace velm {

class TRecentFiles {
 public:
  static constexpr int kDefaultMaximum = 9;
  // Index of the newest entry in the file menu: after "&N 新建", "&O 打开", a separator,
  // "&S 保存", "&A 另存为" and a separator.
  static constexpr int kFirstPosition = 6;

  int Maximum() const { return FMaximum; }
  int Count() const { return static_cast<int>(FEntries.size()); }
  // The paths, newest first.
  const QStringList& Entries() const { return FEntries; }

  // After a successful open. A path already listed (compared trimmed, case matters) moves to
  // the top; a new one goes on top, and when the list already holds the maximum the oldest
  // entry is dropped. With a maximum below 1 nothing changes.
  void Add(const QString& path);

  // Takes `path` (compared trimmed, case matters) off the list; false when it was not listed.
  bool Remove(const QString& path);

  // Replaces the list by the file's. A missing file keeps the list as it is. Throws TInputError
  // when the first or second line is not an integer, TFileError when the file cannot be read.
  // A count beyond the lines of the file stops at the end of the file.
  void Load(const QString& fileName);

  // Rewrites the file (through QSaveFile): the maximum, the count, the trimmed paths oldest
  // first. Throws TFileError when it cannot be written; the previous file is then kept.
  void Save(const QString& fileName) const;

  // The file contents (GB2312 bytes) and their parsing, without the file.
  std::string Serialize() const;
  void Parse(std::string bytes, const std::string& source = {});

 private:
  int FMaximum = kDefaultMaximum;
  QStringList FEntries;
};

// The recent-files file of the program `programPath`: the same path with the extension
// replaced by ".opt" (or ".opt" added when it has none).
QString RecentFilesPath(const QString& programPath);

// Puts the list into the file menu: the entries from kFirstPosition on, newest first, followed
// by one separator, replacing the entries and separator a previous call put there. Each entry
// is an action named "I" followed by a number (the newest has the highest), whose text is the
// path exactly ("&" is not taken as an accelerator) and whose data is the path; triggering it
// calls `open` with the path.
void ShowRecentFiles(QMenu* fileMenu, const TRecentFiles& list,
                     const std::function<void(const QString&)>& open);

// True for the actions ShowRecentFiles creates (name "I" followed by digits).
bool IsRecentFileAction(const QObject* action);

}  // namespace velm
