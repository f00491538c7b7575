#include "desktop/single_instance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QSaveFile>
#include <QTimer>

#include "desktop/channel_listener.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zorvik::desktop {

namespace {

QString canonicalFolder(const QString& folder) {
    QString canonical = QDir(folder).canonicalPath();
    if (canonical.isEmpty()) canonical = QDir::cleanPath(QDir(folder).absolutePath());
#ifdef Q_OS_WIN
    canonical = canonical.toLower();  // one folder, however its name is cased
#endif
    return canonical;
}

QString nameFor(const QString& canonicalFolder) {
    const QByteArray hash =
        QCryptographicHash::hash(canonicalFolder.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QStringLiteral("zorvik-") + QString::fromLatin1(hash.left(24));
}

#ifndef Q_OS_WIN
// Beside "配置.ini": every copy on these settings meets there, whatever
// anyone does to folders that others can write, such as /tmp.
const QString kLockName = QStringLiteral(".zorvik.lock");

// Where the first copy listens, one line, written beside its lock.
QString placeBeside(const QString& lockPath) {
    return lockPath.chopped(5) + QStringLiteral(".channel");
}

bool privateFolder(const QByteArray& path) {
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

// The settings folder cannot take the lock (a read-only one, where nothing
// is saved either): a folder found from the user id alone.
QString userFolder() {
    const QByteArray uid = QByteArray::number(::getuid());
    if (privateFolder("/run/user/" + uid)) return QStringLiteral("/run/user/") + uid;
    const QByteArray own = "/tmp/zorvik-" + uid;
    ::mkdir(own.constData(), 0700);
    return privateFolder(own) ? QString::fromLatin1(own) : QString();
}

// A folder of this user's alone for the socket. Which one does not matter
// to later copies, which read the place beside the lock; made afresh when
// the usual ones are missing or taken by someone else.
QString socketFolder(QString* made) {
    const QByteArray uid = QByteArray::number(::getuid());
    for (const QByteArray& folder : {qgetenv("XDG_RUNTIME_DIR"), "/run/user/" + uid})
        if (!folder.isEmpty() && folder.size() < 60 && privateFolder(folder))
            return QFile::decodeName(folder);
    if (const QString own = userFolder(); !own.isEmpty()) return own;
    QByteArray fresh = "/tmp/zorvik-XXXXXX";
    if (!::mkdtemp(fresh.data())) return {};
    *made = QFile::decodeName(fresh);
    return *made;
}

// Only a socket of this user's is a place to send requests to.
bool ownSocket(const QString& path) {
    struct stat info {};
    return QDir::isAbsolutePath(path) && ::lstat(QFile::encodeName(path).constData(), &info) == 0 &&
           S_ISSOCK(info.st_mode) && info.st_uid == ::getuid();
}
#endif

constexpr qint64 kMaxReply = 1024;
constexpr int kAnswerWaitMs = 10000;
// A request line must be complete this long after the connection.
constexpr int kRequestWaitMs = 1500;

// One later copy's connection: the request line it sends and the answer.
// A copy of an older version sends nothing and waits to be let go: that
// still asks for the window. A line that does not come whole in time, or
// anything else, is dropped.
class Conversation : public QObject {
  public:
    Conversation(QLocalSocket* socket, RequestHandler handler)
        : QObject(socket), socket_(socket), handler_(std::move(handler)) {
        connect(socket, &QLocalSocket::readyRead, this, &Conversation::read);
        connect(socket, &QLocalSocket::disconnected, this, [this] {
            if (!heard_ && line_.isEmpty()) take(Request{Request::Show});
            socket_->deleteLater();
        });
        QTimer::singleShot(kRequestWaitMs, this, [this] {
            if (heard_) return;
            if (line_.isEmpty()) return take(Request{Request::Show});
            drop();
        });
        if (socket->bytesAvailable() > 0) read();  // came with the connection
    }

  private:
    void read() {
        if (heard_) return;
        line_ += socket_->read(kMaxLineLength + 1 - line_.size());
        const qsizetype end = line_.indexOf('\n');
        if (end < 0 && line_.size() <= kMaxLineLength) return;  // more to come
        const std::optional<Request> request =
            end < 0 ? std::nullopt : decodeRequest(line_.left(end));
        if (!request) return drop();
        take(*request);
    }

    void drop() {
        heard_ = true;
        socket_->abort();
        socket_->deleteLater();
    }

    void take(const Request& request) {
        heard_ = true;
        ChannelListener::markHeard(socket_);
        if (!handler_) {
            socket_->disconnectFromServer();
            return;
        }
        handler_(request, [socket = QPointer<QLocalSocket>(socket_)](const QString& refusal) {
            if (!socket) return;
            if (socket->state() != QLocalSocket::ConnectedState) return socket->deleteLater();
            socket->write(encodeReply(refusal));
            socket->disconnectFromServer();
        });
    }

    QLocalSocket* socket_;
    RequestHandler handler_;
    QByteArray line_;
    bool heard_ = false;
};

// A later copy's side: connects (again, while the first copy holds the
// lock but does not listen yet), sends the line and waits for the answer.
class HandOver : public QObject {
  public:
    HandOver(SingleInstance* owner, Request request, SingleInstance::Outcome done)
        : QObject(owner),
          owner_(owner),
          request_(std::move(request)),
          done_(std::move(done)),
          deadline_(kAnswerWaitMs) {
        // One that never answers does not keep this copy alive.
        QTimer::singleShot(kAnswerWaitMs, this, [this] { finish(false); });
        attempt();
    }

  private:
    void attempt() {
        auto* socket = new QLocalSocket(this);
        connect(socket, &QLocalSocket::connected, this, [this, socket] {
            connected_ = true;
            socket->write(encodeRequest(request_));
        });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            heard_ += socket->read(kMaxReply);
            if (heard_.contains('\n') || heard_.size() >= kMaxReply) finish(false);
        });
        // The first copy closes the connection once it has answered.
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            heard_ += socket->read(kMaxReply);
            finish(true);
        });
        connect(socket, &QLocalSocket::errorOccurred, this, [this, socket] {
            if (connected_ || finished_) return;  // ended as disconnected says
            socket->deleteLater();
            if (!deadline_.hasExpired() && owner_->claimedElsewhere())
                QTimer::singleShot(200, this, [this] { attempt(); });
            else
                finish(false);
        });
        socket->connectToServer(owner_->serverName());
    }

    void finish(bool closed) {
        if (finished_) return;
        finished_ = true;
        const qsizetype end = heard_.indexOf('\n');
        deleteLater();
        if (done_) done_(end < 0 ? std::nullopt : decodeReply(heard_.left(end)), closed);
    }

    SingleInstance* owner_;
    Request request_;
    SingleInstance::Outcome done_;
    QDeadlineTimer deadline_;
    QByteArray heard_;
    bool connected_ = false;
    bool finished_ = false;
};

}  // namespace

SingleInstance::SingleInstance(const QString& settingsFolder, QObject* parent)
    : QObject(parent), folder_(canonicalFolder(settingsFolder)), name_(nameFor(folder_)) {}

SingleInstance::~SingleInstance() {
    delete listener_;  // the socket goes first: nothing connects to a copy that ends
#ifdef Q_OS_WIN
    if (mutex_) CloseHandle(mutex_);
#else
    if (lock_ && !listening_.isEmpty()) QFile::remove(placeBeside(lock_->fileName()));
    if (!madeFolder_.isEmpty()) QDir().rmdir(madeFolder_);
#endif
}

#ifndef Q_OS_WIN
QString SingleInstance::lockPath(int which) const {
    if (which == 0) return QDir(folder_).filePath(kLockName);
    // Shared by every settings folder that takes no files: named for this one.
    const QString folder = userFolder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(name_ + QStringLiteral(".lock"));
}
#endif

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
    for (int which = 0; which < 2; ++which) {
        const QString path = lockPath(which);
        if (path.isEmpty()) continue;
        auto lock = std::make_unique<QLockFile>(path);
        // The owner's process id is in the lock: a copy that crashed leaves
        // a lock that tryLock recognises as stale and takes over, whatever
        // its age.
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            lock_ = std::move(lock);
            return true;
        }
        if (lock->error() == QLockFile::LockFailedError) return false;  // held by another copy
    }
    // Nowhere to hold a lock: nothing this copy changes can be saved
    // either, so it cannot spoil another's settings.
    return true;
#endif
}

bool SingleInstance::claimedElsewhere() const {
#ifdef Q_OS_WIN
    const std::wstring name = L"Local\\" + name_.toStdWString();
    HANDLE other = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    if (other) CloseHandle(other);
    return other != nullptr && !mutex_;
#else
    if (lock_) return false;
    // Taken and given back at once when nobody holds it.
    SingleInstance probe(folder_);
    return !probe.lock();
#endif
}

QString SingleInstance::serverName() const {
#ifdef Q_OS_WIN
    return name_;
#else
    if (!listening_.isEmpty()) return listening_;
    for (int which = 0; which < 2; ++which) {
        const QString lock = lockPath(which);
        if (lock.isEmpty()) continue;
        QFile place(placeBeside(lock));
        if (!place.open(QIODevice::ReadOnly)) continue;
        const QString socket = QFile::decodeName(place.read(4096).trimmed());
        if (ownSocket(socket)) return socket;
    }
    return {};
#endif
}

bool SingleInstance::claim(RequestHandler onRequest) {
    if (!lock()) return false;
    listener_ = new ChannelListener(
        [onRequest](QLocalSocket* socket) { new Conversation(socket, onRequest); }, this);
#ifdef Q_OS_WIN
    listener_->listen(name_);
#else
    const QString folder = socketFolder(&madeFolder_);
    const QString path = QDir(folder).filePath(name_);
    if (folder.isEmpty() || !listener_->listen(path)) return true;
    listening_ = path;
    if (!lock_) return true;
    QSaveFile place(placeBeside(lock_->fileName()));
    if (place.open(QIODevice::WriteOnly)) {
        place.write(QFile::encodeName(path) + '\n');
        place.commit();
    }
#endif
    return true;
}

void SingleInstance::handOver(const Request& request, Outcome done) {
    new HandOver(this, request, std::move(done));
}

}  // namespace zorvik::desktop
