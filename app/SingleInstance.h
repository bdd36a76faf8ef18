#pragma once
// The single-instance rule: one running copy per user. A lock file named after the lock name and
// the user lives in the temporary folder; whoever holds it is the running instance. The lock is
// held for the lifetime of this object, and a lock left behind by a killed process is taken over.
//
// Behind the lock, a local socket carries messages from later starts to the running instance
// (a project to open): only the lock holder listens, so the channel needs no race handling of
// its own.
#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;

namespace velm {

class TSingleInstance {
 public:
  explicit TSingleInstance(const QString& name);
  ~TSingleInstance();
  TSingleInstance(const TSingleInstance&) = delete;
  TSingleInstance& operator=(const TSingleInstance&) = delete;

  // True when this process now holds the lock (waits at most 100 ms for a holder that is just
  // releasing it); false when another live process holds it.
  bool TryAcquire();
  bool IsHeld() const;

  // For the lock holder: listens on the socket of this lock and passes every message a later
  // start sends to `received`, from the event loop, after the sender has been answered. False
  // (with nothing listening) when this process does not hold the lock or the socket cannot be
  // set up.
  bool Listen(std::function<void(const QString& message)> received);

  // For a later start: hands `message` to the instance holding the lock `name`, waiting at most
  // `timeoutMs` for it to listen and confirm. True when the running instance confirmed.
  static bool SendToRunning(const QString& name, const QString& message, int timeoutMs);

  // The lock file used for `name` by the current user in the current temporary folder.
  static QString LockFilePath(const QString& name);
  // The socket beside it.
  static QString SocketPath(const QString& name);

 private:
  QString FName;
  std::unique_ptr<QLockFile> FLock;
  std::unique_ptr<QLocalServer> FServer;
};

}  // namespace velm
