#include "app/SingleInstance.h"

#include <unistd.h>

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

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

// The running instance's answer once it has the whole message.
constexpr char kAcknowledge[] = "ok";

}  // namespace

QString TSingleInstance::LockFilePath(const QString& name) {
  return QDir::tempPath() + QLatin1Char('/') + name + QLatin1Char('-') + UserName() +
         QStringLiteral(".lock");
}

QString TSingleInstance::SocketPath(const QString& name) {
  return QDir::tempPath() + QLatin1Char('/') + name + QLatin1Char('-') + UserName() +
         QStringLiteral(".socket");
}

TSingleInstance::TSingleInstance(const QString& name)
    : FName(name), FLock(std::make_unique<QLockFile>(LockFilePath(name))) {
  // A running instance keeps the lock for hours; without this, QLockFile would call a lock
  // older than 30 s stale. A lock whose owner process is gone is still recognised as stale.
  FLock->setStaleLockTime(0);
}

TSingleInstance::~TSingleInstance() {
  // The socket goes before the lock: a later start that finds the lock free must not find an
  // old socket answering.
  FServer.reset();
}

bool TSingleInstance::TryAcquire() { return FLock->isLocked() || FLock->tryLock(100); }

bool TSingleInstance::IsHeld() const { return FLock->isLocked(); }

bool TSingleInstance::Listen(std::function<void(const QString&)> received) {
  if (!IsHeld()) return false;
  const QString path = SocketPath(FName);
  // A socket file left by a killed holder; the lock guarantees nobody else listens on it.
  QLocalServer::removeServer(path);
  auto server = std::make_unique<QLocalServer>();
  server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server->listen(path)) return false;
  QLocalServer* s = server.get();
  QObject::connect(s, &QLocalServer::newConnection, s, [s, received] {
    while (QLocalSocket* socket = s->nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, received] {
        QDataStream in(socket);
        in.startTransaction();
        QString message;
        in >> message;
        if (!in.commitTransaction()) return;  // more to come
        socket->write(kAcknowledge);
        socket->flush();
        socket->disconnectFromServer();
        // Acted on after the sender has its answer: opening may ask the user a question.
        QTimer::singleShot(0, [received, message] { received(message); });
      });
    }
  });
  FServer = std::move(server);
  return true;
}

bool TSingleInstance::SendToRunning(const QString& name, const QString& message, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  QLocalSocket socket;
  // The running instance may still be starting up: it listens once its window exists.
  for (;;) {
    socket.connectToServer(SocketPath(name));
    if (socket.waitForConnected(qMax(1, int(qMin<qint64>(deadline.remainingTime(), 500))))) break;
    socket.abort();
    if (deadline.hasExpired()) return false;
    QThread::msleep(100);
  }
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  out << message;
  socket.write(bytes);
  if (!socket.waitForBytesWritten(qMax(1, int(deadline.remainingTime())))) return false;
  QByteArray answer;
  while (answer.size() < qsizetype(sizeof kAcknowledge) - 1) {
    if (!socket.waitForReadyRead(qMax(1, int(deadline.remainingTime())))) break;
    answer += socket.readAll();
  }
  return answer == kAcknowledge;
}

}  // namespace velm
