#pragma once
// The listening end of the channel between copies. Later copies connect,
// send one line and wait for one back; whatever connects is held to a few
// conversations at a time (the rest wait in the system's queue), and a
// moment without descriptors to spare never closes the channel for good.

#include <QObject>
#include <functional>

class QLocalServer;
class QLocalSocket;
class QSocketNotifier;

namespace zorvik::desktop {

class ChannelListener : public QObject {
    Q_OBJECT
  public:
    // At most this many connections are open at once.
    static constexpr int kMaxConnections = 16;

    explicit ChannelListener(std::function<void(QLocalSocket*)> onConnection,
                             QObject* parent = nullptr);
    ~ChannelListener() override;
    // name: a socket's full path, or a pipe's name on Windows. Only this
    // user may connect.
    bool listen(const QString& name);

  private:
    void take(QLocalSocket* socket);
    void acceptWaiting();

    std::function<void(QLocalSocket*)> onConnection_;
    int open_ = 0;
#ifdef Q_OS_WIN
    QLocalServer* server_ = nullptr;
#else
    void resume();
    int fd_ = -1;
    QByteArray path_;
    QSocketNotifier* notifier_ = nullptr;
    bool resting_ = false;
#endif
};

}  // namespace zorvik::desktop
