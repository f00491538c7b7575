#include "speech/speech_server.h"

#include <QTcpSocket>

#include "speech/connection.h"
#include "speech/http_request.h"

namespace speech {

namespace {

QByteArray errorBody(int status) {
    switch (status) {
        case 400:
            return "bad request\n";
        case 401:
            return "a secret is needed\n";
        case 403:
            return "not addressed to this service\n";
        case 404:
            return "not found\n";
        case 405:
            return "only GET is served\n";
        case 503:
            return "busy, try again later\n";
        default:
            return "speech synthesis failed\n";
    }
}

// As long whatever the bytes, so the time taken tells nothing of how much
// of a guess was right.
bool sameBytes(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size()) return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i) diff |= uchar(a[i]) ^ uchar(b[i]);
    return diff == 0;
}

bool carriesSecret(const QList<QByteArray>& authorization, QByteArrayView secret) {
    if (authorization.size() != 1) return false;
    const QByteArray& value = authorization.front();
    const QByteArrayView scheme = "Bearer ";
    return value.size() > scheme.size() &&
           QByteArrayView(value).first(scheme.size()).compare(scheme, Qt::CaseInsensitive) == 0 &&
           sameBytes(QByteArrayView(value).sliced(scheme.size()), secret);
}

}  // namespace

SpeechServer::SpeechServer(const ServerOptions& options, QObject* parent)
    : QObject(parent), options_(options) {
    idleTimer_.setSingleShot(true);
    idleTimer_.setInterval(options_.idleLimit);
    connect(&idleTimer_, &QTimer::timeout, this, &SpeechServer::checkIdle);
    connect(&server_, &QTcpServer::newConnection, this, &SpeechServer::acceptConnections);
    // Results arrive on the worker thread; hop to ours before touching sockets.
    queue_ =
        std::make_unique<SynthQueue>(options_.espeakDataParent, [this](quint64 id, QByteArray mp3) {
            QMetaObject::invokeMethod(
                this, [this, id, mp3] { finish(id, mp3); }, Qt::QueuedConnection);
        });
}

// The worker must be gone before the object it posts results to.
SpeechServer::~SpeechServer() {
    queue_.reset();
}

bool SpeechServer::listen(quint16 port) {
    // Loopback only: the service speaks for this user's own programs.
    if (!server_.listen(QHostAddress::LocalHost, port)) return false;
    const QByteArray p = QByteArray::number(server_.serverPort());
    hosts_ = {"127.0.0.1:" + p, "localhost:" + p};
    if (server_.serverPort() == 80)
        hosts_ << "127.0.0.1"
               << "localhost";
    idleTimer_.start();
    return true;
}

void SpeechServer::acceptConnections() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        if (!socket->peerAddress().isLoopback()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (silent_.size() >= options_.maxSilentConnections)
            silent_.front()->abort();  // leaves the list through dropConnection
        auto* connection = new Connection(socket, int(options_.headTimeout.count()), this);
        connect(connection, &Connection::requestReceived, this, &SpeechServer::handleRequest);
        connect(connection, &Connection::closed, this, &SpeechServer::dropConnection);
        silent_ << connection;
        connection->start();
    }
}

int SpeechServer::refusal(const QByteArray& head) const {
    if (head.isEmpty()) return 400;
    const QList<QByteArray> host = headerValues(head, "Host");
    if (host.size() != 1 || !hosts_.contains(host.front().toLower())) return 403;
    if (!options_.secret.isEmpty() &&
        !carriesSecret(headerValues(head, "Authorization"), options_.secret))
        return 401;
    return 0;
}

void SpeechServer::handleRequest(Connection* connection, const QByteArray& head) {
    silent_.removeOne(connection);
    // Refused requests neither reach the synthesizer nor keep the service up.
    if (const int refused = refusal(head)) {
        connection->respond(refused, "text/plain; charset=utf-8", errorBody(refused));
        return;
    }
    idleTimer_.start();
    const Request request = parseRequest(head);
    int status = request.status;
    if (status == 200 && queue_->load() >= options_.maxQueued) status = 503;
    if (status != 200) {
        connection->respond(status, "text/plain; charset=utf-8", errorBody(status));
        return;
    }
    const quint64 id = nextId_++;
    auto cancelled = std::make_shared<std::atomic_bool>(false);
    pending_.insert(id, Pending{connection, cancelled});
    queue_->submit(SynthJob{id, request.text, request.speed, cancelled});
}

void SpeechServer::dropConnection(Connection* connection) {
    silent_.removeOne(connection);
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->connection == connection) {
            *it->cancelled = true;
            it = pending_.erase(it);
        } else {
            ++it;
        }
    }
}

void SpeechServer::finish(quint64 id, const QByteArray& mp3) {
    const Pending pending = pending_.take(id);
    if (!pending.connection) return;
    if (mp3.isEmpty())
        pending.connection->respond(500, "text/plain; charset=utf-8", errorBody(500));
    else
        pending.connection->respond(200, "audio/mpeg", mp3);
}

void SpeechServer::checkIdle() {
    // Never leave a client waiting for speech it has asked for.
    if (!pending_.isEmpty() || queue_->load() > 0) {
        idleTimer_.start();
        return;
    }
    Q_EMIT idleTimeout();
}

}  // namespace speech
