#pragma once
// A full disk for the writes of this process: no file grows beyond the given size while the
// object lives (the file-size limit; its signal is ignored, so the write fails instead).
#include <signal.h>
#include <sys/resource.h>

namespace velm::test {

class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &FOld);
    FOldHandler = ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, FOld.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &FOld);
    ::signal(SIGXFSZ, FOldHandler);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

 private:
  rlimit FOld{};
  sighandler_t FOldHandler;
};

}  // namespace velm::test
