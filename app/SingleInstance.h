#pragma once
// The single-instance rule: one running copy per user. A lock file named after the lock name and
// the user lives in the temporary folder; whoever holds it is the running instance. The lock is
// held for the lifetime of this object, and a lock left behind by a killed process is taken over.
#include <QLockFile>
#include <QString>
#include <memory>

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

  // The lock file used for `name` by the current user in the current temporary folder.
  static QString LockFilePath(const QString& name);

 private:
  std::unique_ptr<QLockFile> FLock;
};

}  // namespace velm
