#pragma once
// One client connection: collects the request head, hands it over once, and
// sends exactly one response before closing.

#include <QByteArray>
#include <QObject>
#include <QTimer>

class QTcpSocket;

namespace speech {

class Connection : public QObject {
    Q_OBJECT
  public:
    // Takes ownership of the socket.
    Connection(QTcpSocket* socket, int headTimeoutMs, QObject* parent);

    // Call once the signals are connected: data may already be waiting.
    void start();
    void respond(int status, const QByteArray& contentType, const QByteArray& body);
    // Drops the connection unanswered.
    void abort();

  Q_SIGNALS:
    // head is empty when the client sent more than a request head may hold.
    void requestReceived(speech::Connection* connection, const QByteArray& head);
    // The connection is over (answered or dropped by the client); it deletes itself.
    void closed(speech::Connection* connection);

  private:
    void readHead();
    void close();

    QTcpSocket* socket_;
    QByteArray buffer_;
    QTimer headDeadline_;
    bool headSeen_ = false;
    bool closed_ = false;
};

}  // namespace speech
