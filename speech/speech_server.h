#pragma once
// The HTTP side of the service: accepts loopback clients, answers errors at
// once and queues speech for the synthesis thread; stops itself when nobody
// has asked for anything for a while. Only requests addressed to the
// service itself (a loopback Host with its port) and carrying its secret,
// when it has one, are served: a web page that has a name of its own point
// at 127.0.0.1 must not drive it, nor another program use it.

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
    // A client of ours sends its request as soon as it connects; a
    // connection that sends none soon is nobody's we serve.
    std::chrono::milliseconds headTimeout{std::chrono::seconds(2)};
    // Connections still without a request beyond this push the oldest out,
    // so a crowd of idle ones never takes every socket the service has.
    int maxSilentConnections = 64;
    // Requests waiting for the synthesizer beyond this are turned away (503)
    // rather than piling up without bound.
    std::size_t maxQueued = 32;
    QString espeakDataParent;  // empty: espeak-ng's built-in location
    // Sent as "Authorization: Bearer <secret>"; empty: none is asked for.
    QByteArray secret;
};

class SpeechServer : public QObject {
    Q_OBJECT
  public:
    explicit SpeechServer(const ServerOptions& options, QObject* parent = nullptr);
    ~SpeechServer() override;

    bool listen(quint16 port);
    QString errorString() const { return server_.errorString(); }
    quint16 port() const { return server_.serverPort(); }

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
    // The status that turns a request away before it is read (0: none).
    int refusal(const QByteArray& head) const;
    void finish(quint64 id, const QByteArray& mp3);
    void checkIdle();

    ServerOptions options_;
    QTcpServer server_;
    QTimer idleTimer_;
    QHash<quint64, Pending> pending_;
    QList<Connection*> silent_;  // still without a request, oldest first
    QList<QByteArray> hosts_;    // the Host values that name this service
    quint64 nextId_ = 1;
    std::unique_ptr<SynthQueue> queue_;
};

}  // namespace speech
