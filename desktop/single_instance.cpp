#include "desktop/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

namespace zorvik::desktop {

namespace {

QString nameFor(const QString& folder) {
    QString canonical = QDir(folder).canonicalPath();
    if (canonical.isEmpty()) canonical = QDir::cleanPath(QDir(folder).absolutePath());
#ifdef Q_OS_WIN
    canonical = canonical.toLower();  // one folder, however its name is cased
#endif
    const QByteArray hash =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QStringLiteral("zorvik-") + QString::fromLatin1(hash.left(24));
}

}  // namespace

SingleInstance::SingleInstance(const QString& settingsFolder, QObject* parent)
    : QObject(parent), name_(nameFor(settingsFolder)) {}

bool SingleInstance::claim(std::function<void()> onShowRequest) {
    // The user's runtime folder is in memory on a desktop: the lock's
    // synchronous write costs nothing there, unlike on a disk.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    lock_ = std::make_unique<QLockFile>(QDir(folder).filePath(name_ + QStringLiteral(".lock")));
    // The owner's process id is in the lock: a copy that crashed leaves a
    // lock that tryLock recognises as stale and takes over, whatever its age.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        lock_.reset();
        return false;
    }
    // A socket left by a crashed copy would make listen() fail.
    QLocalServer::removeServer(name_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, [this, onShowRequest] {
        while (QLocalSocket* s = server_.nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            s->disconnectFromServer();
            if (onShowRequest) onShowRequest();
        }
    });
    server_.listen(name_);
    return true;
}

void SingleInstance::askFirstToShow(std::function<void()> done) {
    auto* socket = new QLocalSocket(this);
    auto finish = [socket, done] {
        if (socket->property("finished").toBool()) return;
        socket->setProperty("finished", true);
        socket->deleteLater();
        if (done) done();
    };
    // The connection itself is the request; the first copy answers by
    // closing it. A copy that never answers does not keep this one alive.
    connect(socket, &QLocalSocket::disconnected, socket, finish);
    connect(socket, &QLocalSocket::errorOccurred, socket, finish);
    QTimer::singleShot(3000, socket, finish);
    socket->connectToServer(name_);
}

}  // namespace zorvik::desktop
