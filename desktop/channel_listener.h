#pragma once
// The listening end of the channel between copies. Later copies connect,
// send one line at once and wait for one back. A few connections are open
// at a time: a new one takes the place of the oldest whose line is not in
// yet (a copy sends its line as it connects; one that dawdles is not a
// copy), and a moment without descriptors to spare never closes the
// channel for good.

#include <QList>
#include <QObject>
#include <QPointer>
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
    // Its request line is in: the connection keeps its place until it ends.
    static void markHeard(QLocalSocket* socket);

  private:
    // False when every place is taken by a connection that was heard.
    bool hasRoom();
    // Takes the place of the oldest unheard connection when all are taken.
    void take(QLocalSocket* socket);
    void acceptWaiting();

    std::function<void(QLocalSocket*)> onConnection_;
    QList<QPointer<QLocalSocket>> open_;
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
