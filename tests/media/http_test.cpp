// The HTTP GET behind speech reminders, against a real server on
// 127.0.0.1; its deadline runs on a manual clock.

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <functional>
#include "common/wait.h"

#include "media/http.h"

using namespace std::chrono_literals;

namespace {

// A real server on 127.0.0.1: collects each request head and hands the
// socket to the test's answer routine.
class LocalServer : public QObject {
  public:
    using Answer = std::function<void(QTcpSocket*)>;

    explicit LocalServer(Answer answer) : answer_(std::move(answer)) {
        connect(&server_, &QTcpServer::newConnection, this, &LocalServer::accept);
        server_.listen(QHostAddress::LocalHost);
    }

    QString url(const QString& pathAndQuery) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(pathAndQuery);
    }

    QList<QByteArray> requests;
    QPointer<QTcpSocket> last;
    bool lastClosed = false;
    int connections = 0;

  private:
    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            last = socket;
            lastClosed = false;
            // Counted by connection: the socket may be half destroyed when
            // it reports the end.
            const int connection = ++connections;
            connect(socket, &QTcpSocket::disconnected, this, [this, connection] {
                if (connection == connections) lastClosed = true;
            });
            auto head = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, head] {
                head->append(socket->readAll());
                if (!head->contains("\r\n\r\n") || head->isNull()) return;
                requests.append(*head);
                *head = QByteArray();  // answered; ignore anything further
                answer_(socket);
            });
        }
    }

    QTcpServer server_;
    Answer answer_;
};

QByteArray response(const QByteArray& status, const QByteArray& body) {
    return "HTTP/1.1 " + status +
           "\r\nContent-Type: audio/mpeg\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

class Http : public ::testing::Test {
  protected:
    void SetUp() override { rt::setClock(&clock); }
    void TearDown() override { rt::setClock(nullptr); }

    struct Call {
        bool done = false;
        rt::HttpResult result;
    };
    // Starts a GET whose outcome lands in the returned record.
    std::shared_ptr<Call> start(const QString& url) {
        auto call = std::make_shared<Call>();
        rt::httpGetAsync(url, &context, [call](const rt::HttpResult& r) {
            call->done = true;
            call->result = r;
        });
        return call;
    }
    rt::HttpResult fetch(const QString& url) {
        auto call = start(url);
        EXPECT_TRUE(zt::waitUntil([&] { return call->done; }, 10000));
        return call->result;
    }

    rt::ManualClock clock;
    QObject context;
};

}  // namespace

TEST_F(Http, SendsPathAgentAndAcceptAndReturnsTheBodyWhateverTheStatus) {
    QByteArray status = "200 OK";
    LocalServer server([&](QTcpSocket* s) {
        s->write(response(status, "ID3 body of the answer"));
        s->disconnectFromHost();
    });
    const QString path = QStringLiteral("/txt/apiz.php?text=%E4%BC%91%E6%81%AF&spd=6");
    bool calledAtOnce = false;
    rt::httpGetAsync(QString(), &context, [&](const rt::HttpResult&) { calledAtOnce = true; });
    EXPECT_FALSE(calledAtOnce) << "never inside the call that asked";

    rt::HttpResult ok = fetch(server.url(path));
    EXPECT_EQ(ok.outcome, rt::HttpResult::Complete);
    EXPECT_EQ(ok.body, "ID3 body of the answer");
    ASSERT_EQ(server.requests.size(), 1);
    const QByteArray head = server.requests[0];
    EXPECT_TRUE(head.startsWith("GET " + path.toLatin1() + " HTTP/1.")) << head.constData();
    EXPECT_TRUE(
        head.contains("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"))
        << head.constData();
    EXPECT_TRUE(head.contains("\r\nAccept: */*\r\n")) << head.constData();

    // An error status still yields its body, and nothing is served from a cache.
    for (QByteArray code : {"404 Not Found", "500 Internal Server Error"}) {
        status = code;
        const rt::HttpResult answered = fetch(server.url(path));
        EXPECT_EQ(answered.outcome, rt::HttpResult::Complete) << code.constData();
        EXPECT_EQ(answered.body, "ID3 body of the answer");
    }
    EXPECT_EQ(server.requests.size(), 3);
}

TEST_F(Http, LargeBodyWithoutLengthArrivesWhole) {
    QByteArray body(300 * 1024, '\0');
    for (qsizetype i = 0; i < body.size(); ++i) body[i] = char(i * 7 % 251);
    LocalServer server([&](QTcpSocket* s) {
        s->write("HTTP/1.0 200 OK\r\n\r\n");
        for (qsizetype at = 0; at < body.size(); at += 10000) s->write(body.mid(at, 10000));
        s->disconnectFromHost();  // the end of the body is the end of the connection
    });
    const rt::HttpResult r = fetch(server.url("/big.mp3"));
    EXPECT_EQ(r.outcome, rt::HttpResult::Complete);
    EXPECT_EQ(r.body, body);
}

TEST_F(Http, EmptyUrlRefusedServerAndCutOffBodyFail) {
    EXPECT_EQ(fetch(QString()).outcome, rt::HttpResult::Failed);
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    const rt::HttpResult refused = fetch(QStringLiteral("http://127.0.0.1:%1/x").arg(port));
    EXPECT_EQ(refused.outcome, rt::HttpResult::Refused);
    EXPECT_TRUE(refused.body.isEmpty());

    LocalServer cutOff([](QTcpSocket* s) {
        s->write("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nfirst part");
        s->disconnectFromHost();
    });
    const rt::HttpResult partial = fetch(cutOff.url("/cut"));
    EXPECT_EQ(partial.outcome, rt::HttpResult::Failed);
    EXPECT_EQ(partial.body, "first part") << "what came before the cut";
}

// A body past 16 MiB is a failed fetch, announced or not, and none of it is
// kept; one at the limit is taken whole.
TEST_F(Http, BodiesPastTheLimitAreRefusedWithoutBeingKept) {
    const QByteArray chunk(1024 * 1024, 'x');
    struct Case {
        const char* name;
        int mebibytes;
        bool announced;
        rt::HttpResult::Outcome expected;
    };
    for (const Case& c : {Case{"announced", 17, true, rt::HttpResult::TooLarge},
                          Case{"streamed", 17, false, rt::HttpResult::TooLarge},
                          Case{"at the limit", 16, false, rt::HttpResult::Complete}}) {
        qint64 sent = 0;
        LocalServer server([&](QTcpSocket* s) {
            const QByteArray length =
                c.announced ? "Content-Length: " + QByteArray::number(17 << 20) + "\r\n" : "";
            s->write("HTTP/1.0 200 OK\r\n" + length + "\r\n");
            // Written as the client takes it, so the server's own buffer
            // stays small and a client that stops reading stops it.
            auto more = [&, s] {
                if (s->bytesToWrite() > 2 * chunk.size()) return;
                if (sent >= qint64(c.mebibytes) << 20) return s->disconnectFromHost();
                s->write(chunk);
                sent += chunk.size();
            };
            QObject::connect(s, &QTcpSocket::bytesWritten, s, more);
            more();
        });
        const rt::HttpResult r = fetch(server.url("/endless"));
        EXPECT_EQ(r.outcome, c.expected) << c.name;
        if (c.expected == rt::HttpResult::TooLarge) {
            EXPECT_TRUE(r.body.isEmpty()) << c.name;
            EXPECT_TRUE(zt::waitUntil([&] { return server.lastClosed; }, 5000)) << c.name;
        } else {
            EXPECT_EQ(r.body.size(), rt::kHttpBodyLimit) << c.name;
        }
    }
}

// Ten seconds from the request, however the bytes trickle in: a byte every
// second keeps the transfer alive, but not past its deadline.
TEST_F(Http, TheDeadlineHoldsHoweverSlowlyTheBytesCome) {
    LocalServer dripping(
        [](QTcpSocket* s) { s->write("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n"); });
    LocalServer silent([](QTcpSocket*) {});
    for (LocalServer* server : {&dripping, &silent}) {
        auto call = start(server->url("/slow"));
        ASSERT_TRUE(zt::waitUntil([&] { return !server->requests.isEmpty(); }, 5000));
        for (int second = 1; second < 10; ++second) {
            if (server == &dripping) server->last->write("b");
            zt::pause(15);  // the byte arrives
            clock.advance(1s);
            ASSERT_FALSE(call->done) << "gave up after " << second << " s";
        }
        zt::pause(5);
        clock.advance(1s);
        ASSERT_TRUE(call->done);
        EXPECT_EQ(call->result.outcome, rt::HttpResult::TimedOut);
        // What came before the deadline (the last drips may still be on their way).
        const QByteArray body = call->result.body;
        EXPECT_EQ(body, QByteArray(body.size(), 'b'));
        EXPECT_EQ(body.isEmpty(), server == &silent);
        EXPECT_TRUE(zt::waitUntil([&] { return server->lastClosed; }, 5000));
    }
}

TEST_F(Http, AnAbandonedFetchClosesItsConnectionAndNeverCallsBack) {
    LocalServer silent([](QTcpSocket*) {});
    auto call = start(silent.url("/abandoned"));
    // Once asked: a connection that has not carried its request yet is
    // kept for the next one.
    ASSERT_TRUE(zt::waitUntil([&] { return !silent.requests.isEmpty(); }, 5000));
    delete context.findChild<rt::HttpFetch*>();
    EXPECT_TRUE(zt::waitUntil([&] { return silent.lastClosed; }, 5000));
    clock.advance(20s);
    zt::pause(20);
    EXPECT_FALSE(call->done);
    EXPECT_EQ(clock.pending(), 0) << "its deadline went with it";
}
