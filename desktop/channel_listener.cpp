#include "desktop/channel_listener.h"

#include <QLocalSocket>
#include <QVariant>
#include <algorithm>

#ifndef Q_OS_WIN
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace zorvik::desktop {

ChannelListener::ChannelListener(std::function<void(QLocalSocket*)> onConnection, QObject* parent)
    : QObject(parent), onConnection_(std::move(onConnection)) {}

namespace {
constexpr char kHeard[] = "zorvikHeard";
}

void ChannelListener::markHeard(QLocalSocket* socket) {
    socket->setProperty(kHeard, true);
}

bool ChannelListener::hasRoom() {
    open_.removeIf([](const QPointer<QLocalSocket>& s) { return s.isNull(); });
    return open_.size() < kMaxConnections ||
           std::any_of(open_.cbegin(), open_.cend(), [](const QPointer<QLocalSocket>& s) {
               return !s->property(kHeard).toBool();
           });
}

void ChannelListener::take(QLocalSocket* socket) {
    // hasRoom() said there is: a free place, or one whose line is not in.
    if (open_.size() >= kMaxConnections) {
        const auto oldest = std::find_if(open_.begin(), open_.end(), [](const auto& s) {
            return !s->property(kHeard).toBool();
        });
        QLocalSocket* dawdler = *oldest;
        open_.erase(oldest);
        QObject::disconnect(dawdler, nullptr, nullptr, nullptr);  // its end asks for nothing
        dawdler->abort();
        dawdler->deleteLater();
    }
    open_ << socket;
    connect(socket, &QObject::destroyed, this, &ChannelListener::acceptWaiting,
            Qt::QueuedConnection);
    onConnection_(socket);
}

#ifndef Q_OS_WIN

// Qt's own server closes itself (and removes its socket file) the first
// time accept() fails, as it does when the process is out of descriptors:
// the channel is kept here instead.
ChannelListener::~ChannelListener() {
    delete notifier_;
    if (fd_ >= 0) ::close(fd_);
    if (!path_.isEmpty()) ::unlink(path_.constData());
}

bool ChannelListener::listen(const QString& name) {
    const QByteArray path = QFile::encodeName(name);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    ::unlink(path.constData());  // left by a copy that crashed
    // Nobody can connect before listen(): the mode is set in between.
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.constData(), 0600) != 0 || ::listen(fd, 64) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ChannelListener::acceptWaiting);
    return true;
}

void ChannelListener::acceptWaiting() {
    if (!notifier_ || resting_) return;
    while (hasRoom()) {
        const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // Out of descriptors or memory: the connections wait in the
                // queue and are taken a moment later.
                resting_ = true;
                notifier_->setEnabled(false);
                QTimer::singleShot(250, this, &ChannelListener::resume);
                return;
            }
            notifier_->setEnabled(true);
            return;
        }
        auto* socket = new QLocalSocket(this);
        if (!socket->setSocketDescriptor(fd)) {
            ::close(fd);
            delete socket;
            continue;
        }
        take(socket);
    }
    notifier_->setEnabled(false);  // every place is being answered: the rest wait in the queue
}

void ChannelListener::resume() {
    resting_ = false;
    acceptWaiting();
}

#endif

}  // namespace zorvik::desktop
