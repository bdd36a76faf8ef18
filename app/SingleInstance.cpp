#include "app/SingleInstance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDataStream>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>
#include <QtEndian>
#include <cerrno>
#include <iostream>
#include <memory>

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

QString TSingleInstance::PrivateFolder() {
  // Private: a real folder (not a link), owned by this user, closed to everybody else.
  const auto isPrivate = [](const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
  };
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (runtime.startsWith('/') && isPrivate(runtime)) return QFile::decodeName(runtime);
  const QByteArray own =
      QFile::encodeName(QDir::tempPath()) + "/velm-" + QByteArray::number(::getuid());
  if (::mkdir(own.constData(), 0700) != 0 && errno != EEXIST) return {};
  return isPrivate(own) ? QFile::decodeName(own) : QString();
}

QString TSingleInstance::LockFilePath(const QString& name) {
  const QString folder = PrivateFolder();
  if (folder.isEmpty()) return {};
  return folder + QLatin1Char('/') + name + QLatin1Char('-') + UserName() + QStringLiteral(".lock");
}

QString TSingleInstance::SocketPath(const QString& name) {
  const QString folder = PrivateFolder();
  if (folder.isEmpty()) return {};
  return folder + QLatin1Char('/') + name + QLatin1Char('-') + UserName() +
         QStringLiteral(".socket");
}

TSingleInstance::TSingleInstance(const QString& name) : FName(name) {
  const QString path = LockFilePath(name);
  if (path.isEmpty()) return;
  FLock = std::make_unique<QLockFile>(path);
  // A running instance keeps the lock for hours; without this, QLockFile would call a lock
  // older than 30 s stale. A lock whose owner process is gone is still recognised as stale.
  FLock->setStaleLockTime(0);
}

TSingleInstance::~TSingleInstance() {
  // The socket goes before the lock: a later start that finds the lock free must not find an
  // old socket answering.
  FServer.reset();
}

bool TSingleInstance::TryAcquire() {
  // Without a private folder there is no safe place for a lock: this start runs on its own.
  if (!FLock) {
    std::cerr << "velm: 没有只属于本用户的文件夹（XDG_RUNTIME_DIR 或临时文件夹中的 velm-"
              << ::getuid() << "），不检查程序是否已在运行\n";
    return true;
  }
  if (FLock->isLocked()) return true;
  // A lock without readable content is none QLockFile would ever call stale: its writer died
  // between making the file and writing its process id, or it was planted. A holder writes
  // both at once, so a lock that has stayed empty for a few seconds has no holder.
  qint64 pid = 0;
  QString host, app;
  const QFileInfo info(LockFilePath(FName));
  if (info.exists() && !FLock->getLockInfo(&pid, &host, &app) &&
      info.lastModified().msecsTo(QDateTime::currentDateTime()) > 2000)
    FLock->removeStaleLockFile();
  return FLock->tryLock(100);
}

bool TSingleInstance::IsHeld() const { return !FLock || FLock->isLocked(); }

bool TSingleInstance::Listen(std::function<void(const QString&)> received) {
  if (!FLock || !IsHeld()) return false;
  const QString path = SocketPath(FName);
  // A socket file left by a killed holder; the lock guarantees nobody else listens on it.
  QLocalServer::removeServer(path);
  auto server = std::make_unique<QLocalServer>();
  server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server->listen(path)) return false;
  QLocalServer* s = server.get();
  auto open = std::make_shared<int>(0);  // connections being served
  QObject::connect(s, &QLocalServer::newConnection, s, [s, received, open] {
    while (QLocalSocket* socket = s->nextPendingConnection()) {
      if (*open >= kMaxConnections) {
        socket->abort();
        socket->deleteLater();
        continue;
      }
      ++*open;
      QObject::connect(socket, &QObject::destroyed, s, [open] { --*open; });
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      // A connection that does not deliver its message in time is closed.
      QTimer::singleShot(kConnectionTimeoutMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
      });
      auto buffer = std::make_shared<QByteArray>();
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, received, buffer] {
        *buffer += socket->readAll();
        // The message as QDataStream writes a QString: its length in bytes (big-endian,
        // 0xFFFFFFFF for none), then UTF-16 (big-endian). Read once, when it is whole.
        if (buffer->size() < 4) return;
        const quint32 length = qFromBigEndian<quint32>(buffer->constData());
        const bool none = length == 0xFFFFFFFFu;
        if ((!none && (length > quint32(kMaxMessageBytes) || length % 2 != 0)) ||
            buffer->size() > 4 + kMaxMessageBytes) {
          socket->abort();
          socket->deleteLater();
          return;
        }
        if (!none && quint32(buffer->size()) < 4 + length) return;  // more to come
        QString message;
        if (!none) {
          message.resize(length / 2);
          for (quint32 i = 0; i < length / 2; ++i)
            message[i] = QChar(qFromBigEndian<quint16>(buffer->constData() + 4 + 2 * i));
        }
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
  const QString path = SocketPath(name);
  if (path.isEmpty()) return false;
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  out << message;
  const auto remaining = [&deadline](qint64 most) {
    return qMax(1, int(qMin<qint64>(deadline.remainingTime(), most)));
  };
  // The running instance may still be starting up (it listens once its window exists), or be
  // serving as many connections as it takes: tried again until the time is up.
  for (;;) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (socket.waitForConnected(remaining(500))) {
      socket.write(bytes);
      if (socket.waitForBytesWritten(remaining(timeoutMs))) {
        QByteArray answer;
        while (answer.size() < qsizetype(sizeof kAcknowledge) - 1 &&
               socket.waitForReadyRead(remaining(timeoutMs)))
          answer += socket.readAll();
        if (answer == kAcknowledge) return true;
      }
    }
    socket.abort();
    if (deadline.hasExpired()) return false;
    QThread::msleep(100);
  }
}

}  // namespace velm
