#include "desktop/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QTimer>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

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

#ifndef Q_OS_WIN
bool privateFolder(const QByteArray& path) {
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

// Where the lock and the socket live: a folder of this user's that every
// copy finds the same way, whatever its environment says (a copy started
// from a script without XDG_RUNTIME_DIR, or with another TMPDIR, must meet
// the first one). The session's runtime folder where there is one, else a
// folder of the user's own under /tmp; the settings folder itself if even
// that is taken by someone else.
QString claimFolder(const QString& settingsFolder) {
    const uint uid = ::getuid();
    const QByteArray session = "/run/user/" + QByteArray::number(uid);
    if (privateFolder(session)) return QString::fromLocal8Bit(session);
    const QByteArray own = "/tmp/zorvik-" + QByteArray::number(uid);
    ::mkdir(own.constData(), 0700);
    if (privateFolder(own)) return QString::fromLocal8Bit(own);
    return settingsFolder;
}
#endif

}  // namespace

SingleInstance::SingleInstance(const QString& settingsFolder, QObject* parent)
    : QObject(parent), name_(nameFor(settingsFolder)) {
#ifndef Q_OS_WIN
    // A socket by full path: a bare name would land in the folder TMPDIR names.
    name_ = QDir(claimFolder(settingsFolder)).filePath(name_);
#endif
}

SingleInstance::~SingleInstance() {
#ifdef Q_OS_WIN
    if (mutex_) CloseHandle(mutex_);
#endif
}

bool SingleInstance::lock() {
#ifdef Q_OS_WIN
    // A named object of the session: it goes with the process that made it,
    // so a copy that crashed never blocks the next.
    const std::wstring name = L"Local\\" + name_.toStdWString();
    mutex_ = CreateMutexW(nullptr, FALSE, name.c_str());
    if (mutex_ && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex_);
        mutex_ = nullptr;
    }
    return mutex_ != nullptr;
#else
    lock_ = std::make_unique<QLockFile>(name_ + QStringLiteral(".lock"));
    // The owner's process id is in the lock: a copy that crashed leaves a
    // lock that tryLock recognises as stale and takes over, whatever its age.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) return true;
    lock_.reset();
    return false;
#endif
}

bool SingleInstance::claim(std::function<void()> onShowRequest) {
    if (!lock()) return false;
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
