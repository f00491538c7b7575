#include "speech/connection.h"

#include <QTcpSocket>

namespace speech {

namespace {

// The longest legal request is a 2,000-byte text percent-encoded three times
// over plus headers; anything past this is not a request we would serve.
constexpr qsizetype kMaxHeadBytes = 16 * 1024;

QByteArray reasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 503:
            return "Service Unavailable";
        default:
            return "Internal Server Error";
    }
}

}  // namespace

Connection::Connection(QTcpSocket* socket, int headTimeoutMs, QObject* parent)
    : QObject(parent), socket_(socket) {
    socket_->setParent(this);
    connect(socket_, &QTcpSocket::readyRead, this, &Connection::readHead);
    connect(socket_, &QTcpSocket::disconnected, this, &Connection::close);
    // A client that connects and never finishes its request must not hold a
    // connection (and keep the service awake) for ever.
    headDeadline_.setSingleShot(true);
    connect(&headDeadline_, &QTimer::timeout, this, &Connection::abort);
    headDeadline_.setInterval(headTimeoutMs);
}

void Connection::start() {
    if (socket_->state() != QAbstractSocket::ConnectedState) {
        close();
        return;
    }
    headDeadline_.start();
    readHead();
}

void Connection::readHead() {
    if (headSeen_) {
        socket_->readAll();  // a body or pipelined request: not ours to answer
        return;
    }
    buffer_ += socket_->readAll();
    qsizetype end = buffer_.indexOf("\r\n\r\n");
    if (end < 0) end = buffer_.indexOf("\n\n");
    if (end < 0 && buffer_.size() <= kMaxHeadBytes) return;
    headSeen_ = true;
    headDeadline_.stop();
    const QByteArray head = end >= 0 && end <= kMaxHeadBytes ? buffer_.left(end) : QByteArray();
    buffer_.clear();
    Q_EMIT requestReceived(this, head);
}

void Connection::respond(int status, const QByteArray& contentType, const QByteArray& body) {
    if (closed_) return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) +
                      "\r\nContent-Type: " + contentType +
                      "\r\nContent-Length: " + QByteArray::number(body.size()) +
                      "\r\nConnection: close\r\n";
    if (status == 405) head += "Allow: GET\r\n";
    if (status == 401) head += "WWW-Authenticate: Bearer\r\n";
    socket_->write(head + "\r\n" + body);
    // Closes once everything written has gone out.
    socket_->disconnectFromHost();
}

void Connection::abort() {
    socket_->abort();
    close();
}

void Connection::close() {
    if (closed_) return;
    closed_ = true;
    headDeadline_.stop();
    Q_EMIT closed(this);
    deleteLater();
}

}  // namespace speech
