#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <functional>
#include <thread>

#include "runtime/http.h"

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

  private:
    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
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

struct AsyncResult {
    bool called = false;
    QByteArray body;
    bool refused = false;
};

AsyncResult fetchAsync(const QString& url) {
    AsyncResult result;
    QObject context;
    rt::httpGetAsync(url, &context, [&](QByteArray body, bool refused) {
        result = {true, std::move(body), refused};
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.called; }, 10000));
    return result;
}

class HttpTimeout : public ::testing::Test {
  protected:
    void TearDown() override { rt::setHttpTimeout(rt::kHttpTimeoutMs); }
};

}  // namespace

TEST(HttpGet, SendsPathAgentAndAcceptAndReturnsTheBodyWhateverTheStatus) {
    QByteArray status = "200 OK";
    LocalServer server([&](QTcpSocket* s) {
        s->write(response(status, "ID3 body of the answer"));
        s->disconnectFromHost();
    });
    const QString path = QStringLiteral("/txt/apiz.php?text=%E4%BC%91%E6%81%AF&spd=6");
    EXPECT_EQ(rt::httpGet(server.url(path)), "ID3 body of the answer");

    ASSERT_EQ(server.requests.size(), 1);
    const QByteArray head = server.requests[0];
    EXPECT_TRUE(head.startsWith("GET " + path.toLatin1() + " HTTP/1.")) << head.constData();
    EXPECT_TRUE(
        head.contains("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"))
        << head.constData();
    EXPECT_TRUE(head.contains("\r\nAccept: */*\r\n")) << head.constData();

    // An error status still yields its body, and nothing is served from a cache.
    status = "404 Not Found";
    const AsyncResult missing = fetchAsync(server.url(path));
    EXPECT_EQ(missing.body, "ID3 body of the answer");
    EXPECT_FALSE(missing.refused);
    EXPECT_EQ(server.requests.size(), 2);
}

TEST(HttpGet, LargeBodyWithoutLengthArrivesWhole) {
    QByteArray body(300 * 1024, '\0');
    for (qsizetype i = 0; i < body.size(); ++i) body[i] = char(i * 7 % 251);
    LocalServer server([&](QTcpSocket* s) {
        s->write("HTTP/1.0 200 OK\r\n\r\n");
        for (qsizetype at = 0; at < body.size(); at += 10000) s->write(body.mid(at, 10000));
        s->disconnectFromHost();  // the end of the body is the end of the connection
    });
    EXPECT_EQ(rt::httpGet(server.url("/big.mp3")), body);
}

TEST(HttpGet, EmptyUrlAndRefusedServerGiveNothing) {
    EXPECT_TRUE(rt::httpGet(QString()).isEmpty());
    const AsyncResult empty = fetchAsync(QString());
    EXPECT_TRUE(empty.body.isEmpty());
    EXPECT_FALSE(empty.refused);

    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    const QString url = QStringLiteral("http://127.0.0.1:%1/txt/apiz.php").arg(port);
    const AsyncResult refused = fetchAsync(url);
    EXPECT_TRUE(refused.body.isEmpty());
    EXPECT_TRUE(refused.refused);
    EXPECT_TRUE(rt::httpGet(url).isEmpty());
}

TEST_F(HttpTimeout, SilentServerIsGivenUpWithTheBytesReadSoFar) {
    rt::setHttpTimeout(300);
    LocalServer silent([](QTcpSocket*) {});
    EXPECT_TRUE(rt::httpGet(silent.url("/never")).isEmpty());

    LocalServer stalls([](QTcpSocket* s) {
        s->write("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nfirst part");
    });
    const AsyncResult partial = fetchAsync(stalls.url("/stalls"));
    EXPECT_EQ(partial.body, "first part");
    EXPECT_FALSE(partial.refused);
}

TEST(HttpGet, WorksFromAWorkerThread) {
    LocalServer server([](QTcpSocket* s) {
        s->write(response("200 OK", "from the worker"));
        s->disconnectFromHost();
    });
    QByteArray result;
    QEventLoop loop;  // the server answers on this thread while the worker waits
    std::thread worker([&] {
        result = rt::httpGet(server.url("/worker"));
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    worker.join();
    EXPECT_EQ(result, "from the worker");
}
