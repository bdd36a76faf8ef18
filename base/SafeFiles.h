#pragma once
// Files on a machine that is not always kind: a full disk, a save cut short, a name at the
// file system's length limit. Every writer of the program replaces a file the same way: the
// bytes go to a temporary file beside the target, which is renamed over it only when every
// byte reached the disk; whatever fails on the way leaves the old file as it was and ends in a
// TFileError that names the file and the cause in words a user reads.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velm {

// A file could not be found, read or written. The text names the file and the reason and is
// meant for the user.
class TFileError : public std::runtime_error {
 public:
  explicit TFileError(const std::string& what) : std::runtime_error(what) {}
};

// The reason of a failed system call (an errno value) in Chinese, e.g. ENOSPC "磁盘空间不足".
std::string SystemReason(int error);

// `path` in quotation marks, for messages.
std::string QuotedPath(const std::string& path);

// Why the file at `path` cannot be read as a document, or nothing: a document is an existing
// regular file (a symbolic link is followed). Asks the file system only, so it never waits.
std::optional<std::string> DocumentProblem(const std::string& path);

// Opens the document at `path` for reading without waiting on it (a named pipe or a device
// given as a document would block the program), refused unless it is a regular file. Returns
// the descriptor (the caller closes it). Throws TFileError naming the file and the cause.
int OpenDocument(const std::string& path);

// The bytes of the document at `path`, at most `limit` + 1 of them when `limit` >= 0 (so that
// the caller can tell a file that is too large). Throws TFileError as OpenDocument, and for a
// failed read.
std::string ReadDocument(const std::string& path, std::int64_t limit = -1);

// The file an output named `path` writes: a symbolic link is followed to the file it names,
// which is then replaced (the link stays). Throws TFileError for an empty name, a folder, an
// existing file that is not a regular file (a device, a named pipe, a socket), and for the
// file of any of `kept` (the open project: found as the same file, also by another path).
std::string ResolveOutputPath(const std::string& path, const std::vector<std::string>& kept = {});

// The name of this process's next temporary file for `path`: hidden, in the same folder,
// "." + name + "." + process id + "-" + count + ".velm-tmp", the name cut short (at a character
// boundary) so that it fits the folder's file-name limit.
std::string TemporaryNameFor(const std::string& path);

// Removes the temporary files for `path` that an earlier save left behind when it was cut
// short (killed, power lost): files beside it named by TemporaryNameFor whose process has
// ended. Those of running processes, and every other file, are left alone. Returns how many
// were removed.
int RemoveLeftoverTemporaries(const std::string& path);

// Replaces the file at ResolveOutputPath(`path`) with `bytes` through a temporary file beside
// it (flushed to the disk, given the old file's permissions, then renamed over it), after
// removing the leftovers of earlier saves of that file that were cut short. Throws
// TFileError naming `path` and the cause; the old file is then unchanged and the temporary file
// removed.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace velm
