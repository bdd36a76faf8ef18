#include "app/SingleInstance.h"

#include <unistd.h>

#include <QDir>
#include <QRegularExpression>

namespace velm {

namespace {

QString UserName() {
  QString user = qEnvironmentVariable("USER");
  if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");
  if (user.isEmpty()) user = QString::number(::getuid());
  // The name becomes part of a file name: keep it to safe characters.
  user.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
  return user;
}

}  // namespace

QString TSingleInstance::LockFilePath(const QString& name) {
  return QDir::tempPath() + QLatin1Char('/') + name + QLatin1Char('-') + UserName() +
         QStringLiteral(".lock");
}

TSingleInstance::TSingleInstance(const QString& name)
    : FLock(std::make_unique<QLockFile>(LockFilePath(name))) {
  // A running instance keeps the lock for hours; without this, QLockFile would call a lock
  // older than 30 s stale. A lock whose owner process is gone is still recognised as stale.
  FLock->setStaleLockTime(0);
}

TSingleInstance::~TSingleInstance() = default;

bool TSingleInstance::TryAcquire() { return FLock->isLocked() || FLock->tryLock(100); }

bool TSingleInstance::IsHeld() const { return FLock->isLocked(); }

}  // namespace velm
