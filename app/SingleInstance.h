#pragma once
// The single-instance rule: one running copy per user. A lock file named after the lock name and
// the user lives in a folder only the user can enter: the user's runtime folder
// (XDG_RUNTIME_DIR), or else a private folder of the user's own (mode 0700) in the temporary
// folder, so that no other user can take the name first or listen in. Whoever holds the lock is
// the running instance. The lock is held for the lifetime of this object; a lock left behind by
// a killed process, or one without content (a crash while it was written), is taken over.
//
// Behind the lock, a local socket carries messages from later starts to the running instance
// (a project to open): only the lock holder listens, so the channel needs no race handling of
// its own. Connections are bounded in number, size and time, so that nothing a sender does can
// stop the channel or the window.
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

  // The lock file used for `name` by the current user (empty when no private folder can be
  // had; then no lock is taken and every start runs on its own).
  static QString LockFilePath(const QString& name);
  // The socket beside it.
  static QString SocketPath(const QString& name);
  // The folder of both: XDG_RUNTIME_DIR when it is a folder of the user's own that nobody else
  // may enter, else the private folder "velm-UID" in the temporary folder, made when missing;
  // empty when neither is private (a folder of another owner, a link, open to others).
  static QString PrivateFolder();

  // Bounds of the channel: connections served at once (more are closed at once), the time one
  // may take [ms], and the longest message [bytes].
  static constexpr int kMaxConnections = 16;
  static constexpr int kConnectionTimeoutMs = 5000;
  static constexpr int kMaxMessageBytes = 64 * 1024;

 private:
  QString FName;
  std::unique_ptr<QLockFile> FLock;
  std::unique_ptr<QLocalServer> FServer;
};

}  // namespace velm
