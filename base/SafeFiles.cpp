#include "base/SafeFiles.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace velm {

namespace {

constexpr char kTemporarySuffix[] = ".velm-tmp";

std::string Folder(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string LeafName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The longest file name the folder takes [bytes].
long NameLimit(const std::string& folder) {
  errno = 0;
  const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  return limit > 0 ? limit : 255;
}

// `name` cut to at most `bytes` bytes without splitting a UTF-8 character.
std::string CutName(const std::string& name, size_t bytes) {
  if (name.size() <= bytes) return name;
  size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  return name.substr(0, end);
}

// Room the part after the name takes at most: "." pid "-" count suffix.
constexpr size_t kTailRoom = 1 + 10 + 1 + 20 + sizeof kTemporarySuffix - 1;

// The start of every temporary name for `path`: "." and the name, cut to fit.
std::string TemporaryStem(const std::string& path) {
  const std::string folder = Folder(path);
  const long limit = NameLimit(folder);
  const size_t room = limit > long(kTailRoom) + 2 ? size_t(limit) - kTailRoom - 1 : 1;
  return (folder == "/" ? "" : folder) + "/." + CutName(LeafName(path), room);
}

class TDescriptor {
 public:
  explicit TDescriptor(int fd) : FFd(fd) {}
  ~TDescriptor() {
    if (FFd >= 0) ::close(FFd);
  }
  TDescriptor(const TDescriptor&) = delete;
  TDescriptor& operator=(const TDescriptor&) = delete;
  int Get() const { return FFd; }
  // Closes now and reports the result (a network file system reports write errors here).
  int Close() {
    const int r = ::close(FFd);
    FFd = -1;
    return r;
  }

 private:
  int FFd;
};

std::string FileKindName(mode_t mode) {
  if (S_ISDIR(mode)) return "文件夹";
  if (S_ISFIFO(mode)) return "命名管道（FIFO）";
  if (S_ISCHR(mode)) return "字符设备";
  if (S_ISBLK(mode)) return "块设备";
  if (S_ISSOCK(mode)) return "套接字";
  if (S_ISLNK(mode)) return "符号链接";
  return "特殊文件";
}

}  // namespace

std::string SystemReason(int error) {
  switch (error) {
    case ENOSPC:
      return "磁盘空间不足";
    case EDQUOT:
      return "超出了磁盘配额";
    case EFBIG:
      return "文件超出了允许的大小";
    case EACCES:
    case EPERM:
      return "没有访问权限";
    case EROFS:
      return "文件系统是只读的";
    case ENOENT:
      return "文件或文件夹不存在";
    case ENOTDIR:
      return "路径中有一级不是文件夹";
    case EISDIR:
      return "这是一个文件夹";
    case ENAMETOOLONG:
      return "文件名太长";
    case ELOOP:
      return "符号链接的层数太多";
    case EIO:
      return "输入输出错误";
    case EEXIST:
      return "文件已存在";
    case EMFILE:
    case ENFILE:
      return "打开的文件太多";
    case EBUSY:
    case ETXTBSY:
      return "文件正被占用";
    case ENXIO:
    case ENODEV:
      return "设备不存在或不可用";
    case EXDEV:
      return "不能跨文件系统移动文件";
    case EINTR:
      return "操作被中断";
    case ENOMEM:
      return "内存不足";
    default:
      return "系统错误 " + std::to_string(error) + "（" + std::strerror(error) + "）";
  }
}

std::string QuotedPath(const std::string& path) { return "\u201C" + path + "\u201D"; }

std::optional<std::string> DocumentProblem(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    const int error = errno;
    if (error == ENOENT) return "找不到文件" + QuotedPath(path);
    return "无法打开文件" + QuotedPath(path) + "：" + SystemReason(error);
  }
  if (S_ISDIR(st.st_mode)) return QuotedPath(path) + "是文件夹，不是文件";
  if (!S_ISREG(st.st_mode))
    return QuotedPath(path) + "是" + FileKindName(st.st_mode) + "，不是普通文件，不能打开";
  return std::nullopt;
}

int OpenDocument(const std::string& path) {
  if (const auto problem = DocumentProblem(path)) throw TFileError(*problem);
  // Checked again on what was opened: the name may have been given to a pipe in between.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    throw TFileError("无法打开文件" + QuotedPath(path) + "：" + SystemReason(error));
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw TFileError(QuotedPath(path) + "不是普通文件，不能打开");
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

std::string ReadDocument(const std::string& path, std::int64_t limit) {
  TDescriptor fd(OpenDocument(path));
  std::string bytes;
  char buffer[65536];
  while (limit < 0 || std::int64_t(bytes.size()) <= limit) {
    size_t want = sizeof buffer;
    if (limit >= 0) want = std::min<std::uint64_t>(want, std::uint64_t(limit) + 1 - bytes.size());
    const ssize_t n = ::read(fd.Get(), buffer, want);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      throw TFileError("读取文件" + QuotedPath(path) + "出错：" + SystemReason(error));
    }
    if (n == 0) break;
    bytes.append(buffer, size_t(n));
  }
  return bytes;
}

std::string ResolveOutputPath(const std::string& path, const std::vector<std::string>& kept) {
  namespace fs = std::filesystem;
  if (path.empty()) throw TFileError("没有给出要保存的文件名");
  fs::path target = path;
  std::error_code ec;
  for (int hops = 0; fs::is_symlink(fs::symlink_status(target, ec)); ++hops) {
    if (hops == 40) throw TFileError("无法保存" + QuotedPath(path) + "：" + SystemReason(ELOOP));
    const fs::path link = fs::read_symlink(target, ec);
    if (ec) throw TFileError("无法保存" + QuotedPath(path) + "：" + SystemReason(ec.value()));
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode))
    throw TFileError("无法保存" + QuotedPath(path) + "：它是" + FileKindName(st.st_mode) +
                     "，不是普通文件");
  if (target.filename().empty()) throw TFileError("无法保存" + QuotedPath(path) + "：没有文件名");
  for (const std::string& other : kept) {
    if (other.empty()) continue;
    struct stat ot {};
    bool same;
    if (exists && ::stat(other.c_str(), &ot) == 0) {
      same = ot.st_dev == st.st_dev && ot.st_ino == st.st_ino;
    } else {
      std::error_code e1, e2;
      const fs::path a = fs::weakly_canonical(target, e1), b = fs::weakly_canonical(other, e2);
      same = !e1 && !e2 && a == b;
    }
    if (same)
      throw TFileError("无法保存" + QuotedPath(path) + "：这是打开的项目文件" + QuotedPath(other) +
                       "，保存到这里会覆盖项目");
  }
  return target.string();
}

std::string TemporaryNameFor(const std::string& path) {
  static std::atomic<unsigned long long> count{0};
  return TemporaryStem(path) + "." + std::to_string(::getpid()) + "-" + std::to_string(count++) +
         kTemporarySuffix;
}

int RemoveLeftoverTemporaries(const std::string& path) {
  namespace fs = std::filesystem;
  const std::string stem = fs::path(TemporaryStem(path)).filename().string() + ".";
  const std::string own = std::to_string(::getpid());
  int removed = 0;
  std::error_code ec;
  for (fs::directory_iterator it(Folder(path), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const size_t tail = sizeof kTemporarySuffix - 1;
    if (name.size() <= stem.size() + tail || name.compare(0, stem.size(), stem) != 0 ||
        name.compare(name.size() - tail, tail, kTemporarySuffix) != 0)
      continue;
    // Between the stem and the suffix: the process id, "-", the count.
    const std::string middle = name.substr(stem.size(), name.size() - stem.size() - tail);
    const size_t dash = middle.find('-');
    if (dash == 0 || dash == std::string::npos || dash + 1 == middle.size() ||
        middle.find_first_not_of("0123456789-") != std::string::npos ||
        middle.find('-', dash + 1) != std::string::npos)
      continue;
    const std::string pid = middle.substr(0, dash);
    if (pid.size() > 9 || pid == own) continue;
    if (::kill(static_cast<pid_t>(std::stol(pid)), 0) == 0 || errno != ESRCH) continue;
    struct stat st {};
    if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid())
      continue;
    if (::unlink(it->path().c_str()) == 0) ++removed;
  }
  return removed;
}

void WriteFileAtomically(const std::string& name, std::string_view bytes) {
  const std::string path = ResolveOutputPath(name);
  RemoveLeftoverTemporaries(path);
  const std::string temp = TemporaryNameFor(path);
  auto fail = [&](int error) {
    ::unlink(temp.c_str());
    return TFileError("无法保存" + QuotedPath(name) + "：" + SystemReason(error));
  };
  struct stat old {};
  const bool replaces = ::stat(path.c_str(), &old) == 0;

  TDescriptor fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (fd.Get() < 0) {
    const int error = errno;
    throw TFileError("无法保存" + QuotedPath(name) + "：" + SystemReason(error));
  }
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd.Get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw fail(n < 0 ? errno : ENOSPC);
    done += size_t(n);
  }
  if (replaces && ::fchmod(fd.Get(), old.st_mode & 07777) != 0) throw fail(errno);
  if (::fsync(fd.Get()) != 0) throw fail(errno);
  if (fd.Close() != 0) throw fail(errno);
  if (std::rename(temp.c_str(), path.c_str()) != 0) throw fail(errno);
  // The new name itself reaches the disk with the folder.
  const int dir = ::open(Folder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace velm
