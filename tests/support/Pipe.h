#pragma once
// A named pipe in place of a file, for readers that must refuse it. A reader that opens it
// anyway would wait for a writer for ever; after a few seconds the pipe is opened for writing
// and closed again, so that such a reader sees an empty file and its test fails instead of
// hanging.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

namespace velm::test {

class TPipe {
 public:
  explicit TPipe(std::string path) : FPath(std::move(path)) {
    if (::mkfifo(FPath.c_str(), 0600) != 0) throw std::runtime_error("cannot make " + FPath);
    FRescuer = std::thread([this] {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
      while (!FDone) {
        if (std::chrono::steady_clock::now() > deadline) {
          const int fd = ::open(FPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
          if (fd >= 0) {
            ::close(fd);
            FWaitedOn = true;
          }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
  }
  ~TPipe() {
    FDone = true;
    FRescuer.join();
    ::unlink(FPath.c_str());
  }
  TPipe(const TPipe&) = delete;
  TPipe& operator=(const TPipe&) = delete;

  const std::string& Path() const { return FPath; }
  // True when some reader opened the pipe and waited on it.
  bool WaitedOn() const { return FWaitedOn; }

 private:
  std::string FPath;
  std::atomic<bool> FDone{false};
  std::atomic<bool> FWaitedOn{false};
  std::thread FRescuer;
};

}  // namespace velm::test
