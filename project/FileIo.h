#pragma once
// File access shared by the project readers and writers: whole-file reads, safe whole-file
// writes, and a line reader for the plain text files (legacy projects, recent-files list).
#include <QString>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/SafeFiles.h"

namespace velm {

// The bytes of the file. Throws TFileError when it is missing or cannot be read.
std::string ReadWholeFile(const QString& fileName);

// Largest project file read at all [bytes]: a project is a few KB (compressed) to some tens
// of KB (plain or legacy).
inline constexpr qint64 kMaxProjectFileSize = 8 << 20;

// ReadWholeFile for a project: also a TFileError, before reading anything, for a file larger
// than kMaxProjectFileSize.
std::string ReadProjectBytes(const QString& fileName);

// Replaces the file with `bytes` (WriteFileAtomically): the data go to a hidden temporary file
// beside the target, which is renamed over it only when everything was written. A failure at
// any step leaves the previous file as it was and throws TFileError.
void WriteWholeFile(const QString& fileName, std::string_view bytes);

// Refuses an output to `fileName` that would replace the open `project` (also through another
// path or a symbolic link), or that names no file, a folder or a device (ResolveOutputPath).
// Throws TFileError with the reason.
void CheckOutputFile(const QString& fileName, const QString& project);

// Lines of a text file, as the platform's text files are read: a line ends at CR LF, LF or a
// lone CR; reading past the end gives empty lines. Each line is decoded from GB2312 (read as
// GB18030) to UTF-8.
class TTextLines {
 public:
  explicit TTextLines(std::string bytes) : FBytes(std::move(bytes)) {}
  // The next line (UTF-8), or an empty text once the end has been reached.
  std::string Next();
  // True when no unread byte remains.
  bool AtEnd() const { return FPos >= FBytes.size(); }
  // Number of lines handed out so far (also the empty ones past the end).
  int LinesRead() const { return FLinesRead; }

 private:
  std::string FBytes;
  size_t FPos = 0;
  int FLinesRead = 0;
};

// A decimal integer (optional sign, digits; blanks around it allowed), or nothing.
std::optional<long long> ParseInteger(std::string_view text);

// File name for messages (native separators).
std::string DisplayName(const QString& fileName);

}  // namespace velm
