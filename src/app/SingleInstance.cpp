#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <unistd.h>

#include <cstdio>

namespace tavemo::app {
namespace {

// The user's own runtime folder (XDG_RUNTIME_DIR), or a folder of the user's below the temporary one.
QString runtimeFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && QFileInfo(xdg).isDir() && QFileInfo(xdg).isWritable())
        return xdg;
    const QString folder = QDir::tempPath() + QStringLiteral("/tavemo-calendar-%1").arg(::getuid());
    if (QDir().mkpath(folder))
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return folder;
}

// A short name for the application directory, the same whichever spelling of its path is used.
QString directoryKey(const QString& appDir)
{
    QString canonical = QFileInfo(appDir).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QDir::cleanPath(QFileInfo(appDir).absoluteFilePath());
    return QString::fromLatin1(QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

} // namespace

SingleInstance::SingleInstance(const QString& appDir, QObject* parent)
    : QObject(parent), m_appDir(appDir), m_lock(lockPath(appDir))
{
    // Only a lock whose process is gone is stale, however long the program has been running.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::lockPath(const QString& appDir)
{
    return runtimeFolder() + QStringLiteral("/tavemo-calendar-%1.lock").arg(directoryKey(appDir));
}

QString SingleInstance::socketPath(const QString& appDir)
{
    return runtimeFolder() + QStringLiteral("/tavemo-calendar-%1.socket").arg(directoryKey(appDir));
}

SingleInstance::Start SingleInstance::start(QString* error)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (m_lock.tryLock(0)) {
            if (!listen())
                std::fprintf(stderr, "tavemo-calendar: a second start cannot reach this one: %s\n",
                             qPrintable(m_server->errorString()));
            return Start::First;
        }
        if (m_lock.error() != QLockFile::LockFailedError) {
            // No lock can be made here (no runtime folder): run without one. The note database
            // still keeps two writers from corrupting it.
            std::fprintf(stderr, "tavemo-calendar: cannot take the lock %s\n", qPrintable(lockPath(m_appDir)));
            return Start::First;
        }
        QLocalSocket socket;
        socket.connectToServer(socketPath(m_appDir));
        if (socket.waitForConnected(500)) {
            socket.write(kActivate);
            if (socket.waitForBytesWritten(1000) && socket.waitForReadyRead(2000) && socket.readLine(16) == kDone)
                return Start::HandedOver;
        }
        // The running program may still be starting up (lock taken, socket not yet listening).
        if (waited.elapsed() > 5000)
            break;
        QThread::msleep(100);
    }
    if (error)
        *error = QStringLiteral("桌面日历已经在运行，但没有回应。请稍后再试。");
    return Start::Failed;
}

bool SingleInstance::listen()
{
    const QString path = socketPath(m_appDir);
    // We hold the lock: a socket file left there belongs to a program that is gone.
    QLocalServer::removeServer(path);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::serve);
    return m_server->listen(path);
}

void SingleInstance::serve()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A client that says nothing is dropped after a while.
        QTimer::singleShot(3000, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > 64)
                    socket->abort();
                return;
            }
            const QByteArray line = socket->readLine(64);
            if (line == kActivate) {
                emit activationRequested();
                socket->write(kDone);
            }
            socket->disconnectFromServer();
        });
    }
}

} // namespace tavemo::app
