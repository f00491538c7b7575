#pragma once
// The HTTP side of the service: accepts loopback clients, answers errors at
// once and queues speech for the synthesis thread; stops itself when nobody
// has asked for anything for a while.

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <memory>

#include "speech/synth_queue.h"

namespace speech {

class Connection;

struct ServerOptions {
    std::chrono::milliseconds idleLimit{std::chrono::minutes(10)};
    std::chrono::milliseconds headTimeout{std::chrono::seconds(10)};
    // Requests waiting for the synthesizer beyond this are turned away (503)
    // rather than piling up without bound.
    std::size_t maxQueued = 32;
    QString espeakDataParent;  // empty: espeak-ng's built-in location
};

class SpeechServer : public QObject {
    Q_OBJECT
  public:
    explicit SpeechServer(const ServerOptions& options, QObject* parent = nullptr);
    ~SpeechServer() override;

    bool listen(quint16 port);
    QString errorString() const { return server_.errorString(); }

  Q_SIGNALS:
    void idleTimeout();

  private:
    struct Pending {
        QPointer<Connection> connection;
        std::shared_ptr<std::atomic_bool> cancelled;
    };

    void acceptConnections();
    void handleRequest(Connection* connection, const QByteArray& head);
    void dropConnection(Connection* connection);
    void finish(quint64 id, const QByteArray& mp3);
    void checkIdle();

    ServerOptions options_;
    QTcpServer server_;
    QTimer idleTimer_;
    QHash<quint64, Pending> pending_;
    quint64 nextId_ = 1;
    std::unique_ptr<SynthQueue> queue_;
};

}  // namespace speech
