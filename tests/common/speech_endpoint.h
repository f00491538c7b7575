#pragma once
// A speech endpoint on 127.0.0.1 for tests: notes each request as it
// arrives (with the time on the program's clock) and hands the socket to
// the test's answer for that request.

#include <QFile>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>

#include "runtime/clock.h"

namespace zt {

class SpeechEndpoint : public QObject {
  public:
    struct Request {
        QByteArray head;
        QByteArray target;  // path and query
        rt::Clock::TimePoint at;
        QPointer<QTcpSocket> socket;
        bool closed = false;  // the connection has ended
    };
    // answer(socket, n): the n-th request (from 0) has arrived.
    using Answer = std::function<void(QTcpSocket*, int)>;

    explicit SpeechEndpoint(Answer answer) : answer_(std::move(answer)) {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) accept(s);
        });
    }
    QString address() const {
        return QStringLiteral("http://127.0.0.1:%1/").arg(server_.serverPort());
    }

    static void reply(QTcpSocket* s, const QByteArray& body, const QByteArray& status = "200 OK",
                      const QByteArray& type = "audio/mpeg") {
        s->write("HTTP/1.1 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: " +
                 QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        s->disconnectFromHost();
    }

    QList<Request> requests;

  private:
    void accept(QTcpSocket* socket) {
        auto head = std::make_shared<QByteArray>();
        auto seen = std::make_shared<bool>(false);
        connect(socket, &QTcpSocket::readyRead, this, [=, this] {
            if (*seen) return;  // answered already
            head->append(socket->readAll());
            if (!head->contains("\r\n\r\n")) return;
            *seen = true;
            const QByteArray firstLine = head->left(head->indexOf("\r\n"));
            requests << Request{*head, firstLine.split(' ').value(1), rt::clock().now(), socket};
            const int n = int(requests.size()) - 1;
            connect(socket, &QTcpSocket::disconnected, this,
                    [this, n] { requests[n].closed = true; });
            answer_(socket, n);
        });
    }

    QTcpServer server_;
    Answer answer_;
};

}  // namespace zt
