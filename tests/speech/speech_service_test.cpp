#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QNetworkInterface>
#include <QTcpSocket>
#include <QThread>
#include <optional>

#include "common/wait.h"
#include "media/http.h"
#include "speech_client.h"

using namespace speechtest;

namespace {

// A Chinese text of exactly the given number of UTF-8 bytes (3 per
// character, padded with ASCII), in sentences as a user would write them.
QString chineseTextOfBytes(int bytes) {
    const QString sentence = u"休息一下，喝点水。"_qs;
    QString text;
    while (text.size() < bytes / 3) text += sentence;
    text.truncate(bytes / 3);
    return text + QString(bytes % 3, u'a');
}

void expectPlayableMp3(const Reply& reply, qint64* durationMs) {
    ASSERT_EQ(reply.status, 200);
    EXPECT_EQ(reply.contentType, "audio/mpeg");
    EXPECT_EQ(reply.contentLength, reply.body.size());
    const Mp3Scan scan = scanMp3(reply.body);
    ASSERT_TRUE(scan.valid) << "not a clean run of MP3 frames, " << reply.body.size() << " bytes";
    EXPECT_TRUE(scan.mono);
    EXPECT_GE(scan.sampleRate, 16000);
    EXPECT_LE(scan.sampleRate, 24000);
    const qint64 decoded = decodedMs(reply.body);
    ASSERT_GT(decoded, 0) << "the decoder could not read it";
    // Decoders trim LAME's padding, so allow a few frames of difference.
    EXPECT_NEAR(double(decoded), double(scan.durationMs), 150.0);
    *durationMs = decoded;
}

}  // namespace

TEST(SpeechService, SpeaksChineseAndEnglishAsPlayableMp3) {
    Service service;
    ASSERT_TRUE(service.listening());
    qint64 rest = 0, restLonger = 0, test = 0, testLonger = 0;
    expectPlayableMp3(service.get(speechTarget(u"休息"_qs)), &rest);
    expectPlayableMp3(service.get(speechTarget(u"休息一下，喝点水，看看远方再回来"_qs)),
                      &restLonger);
    expectPlayableMp3(service.get(speechTarget("test 123")), &test);
    expectPlayableMp3(service.get(speechTarget("test 123, time to stand up and stretch your legs")),
                      &testLonger);
    EXPECT_GT(restLonger, rest + 1000);
    EXPECT_GT(testLonger, test + 1000);
    // "+" is a space in a query, as browsers send it.
    qint64 plus = 0;
    expectPlayableMp3(service.get("/txt/apiz.php?text=test+123&spd=6"), &plus);
    EXPECT_NEAR(double(plus), double(test), 100.0);
    // The program's own HTTP client, with the address it builds for 休息.
    QObject context;
    std::optional<rt::HttpResult> answer;
    rt::httpGetAsync(
        "http://127.0.0.1:" + QString::number(service.port()) +
            "/txt/apiz.php?text=%E4%BC%91%E6%81%AF&spd=6",
        &context, [&](const rt::HttpResult& r) { answer = r; }, service.secret());
    ASSERT_TRUE(zt::waitUntil([&] { return answer.has_value(); }, 20000));
    EXPECT_EQ(answer->outcome, rt::HttpResult::Complete);
    const QByteArray viaProgram = answer->body;
    EXPECT_TRUE(scanMp3(viaProgram).valid);
    EXPECT_NEAR(double(scanMp3(viaProgram).durationMs), double(rest), 100.0);
}

TEST(SpeechService, SpeedSetsThePace) {
    Service service;
    ASSERT_TRUE(service.listening());
    const QString text = u"请注意，间隔提醒时间到了！"_qs;
    qint64 slow = 0, normal = 0, fast = 0;
    expectPlayableMp3(service.get(speechTarget(text, 0)), &slow);
    expectPlayableMp3(service.get(speechTarget(text, 6)), &normal);
    expectPlayableMp3(service.get(speechTarget(text, 9)), &fast);
    EXPECT_GT(slow, normal);
    EXPECT_GT(normal, fast);
    qint64 unspecified = 0;
    expectPlayableMp3(service.get(speechTarget(text).replace("&spd=6", "")), &unspecified);
    EXPECT_NEAR(double(unspecified), double(normal), 100.0);
}

TEST(SpeechService, AnswersErrorsForWhatItCannotServe) {
    Service service;
    ASSERT_TRUE(service.listening());
    const quint16 port = service.port();
    for (const char* target :
         {"/", "/txt/apiz.php2?text=a", "/TXT/APIZ.PHP?text=a", "/txt/other.php?text=%E4%BC%91"})
        EXPECT_EQ(service.get(target).status, 404) << target;
    const QByteArray tooLong = speechTarget(chineseTextOfBytes(2001));
    for (const QByteArray& target :
         {QByteArray("/txt/apiz.php"), QByteArray("/txt/apiz.php?spd=6"),
          QByteArray("/txt/apiz.php?text="), QByteArray("/txt/apiz.php?text=%20%20"),
          QByteArray("/txt/apiz.php?text=%E4%BC"), QByteArray("/txt/apiz.php?text=%ZZ"),
          QByteArray("/txt/apiz.php?text=%4"), QByteArray("/txt/apiz.php?text=a&spd=10"),
          QByteArray("/txt/apiz.php?text=a&spd=x"), tooLong})
        EXPECT_EQ(service.get(target).status, 400) << target.left(60).constData();
    EXPECT_EQ(send(port, service.head("HELLO")).status, 400);
    EXPECT_EQ(send(port, service.head("GET /txt/apiz.php?text=a HTTP/1.1\r\nX: " +
                                      QByteArray(20000, 'x')))
                  .status,
              400);
    const Reply post = send(port, service.head("POST /txt/apiz.php?text=a HTTP/1.1"));
    EXPECT_EQ(post.status, 405);
    EXPECT_EQ(post.contentLength, post.body.size());
    // The limit itself is allowed.
    EXPECT_EQ(service.get(speechTarget(chineseTextOfBytes(2000), 9)).status, 200);
    // Errors never cost the service its life.
    EXPECT_EQ(service.get(speechTarget("ok")).status, 200);
}

TEST(SpeechService, ServesOtherClientsWhileSynthesizing) {
    Service service;
    ASSERT_TRUE(service.listening());
    const quint16 port = service.port();
    // A long, slow text keeps the synthesizer busy for a good while.
    QTcpSocket busy;
    busy.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(busy.waitForConnected(2000));
    busy.write(service.head("GET " + speechTarget(chineseTextOfBytes(1998), 0) + " HTTP/1.1"));
    ASSERT_TRUE(busy.waitForBytesWritten(2000));
    // A client that gives up must not block those behind it.
    QTcpSocket quitter;
    quitter.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(quitter.waitForConnected(2000));
    quitter.write(service.head("GET " + speechTarget(chineseTextOfBytes(1998), 0) + " HTTP/1.1"));
    ASSERT_TRUE(quitter.waitForBytesWritten(2000));
    quitter.abort();
    QThread::msleep(30);

    EXPECT_EQ(service.get("/elsewhere").status, 404);
    EXPECT_EQ(service.get("/txt/apiz.php?text=%ZZ").status, 400);
    EXPECT_FALSE(busy.waitForReadyRead(0)) << "the long text finished too soon to prove anything";

    qint64 shortMs = 0;
    expectPlayableMp3(service.get(speechTarget(u"休息"_qs)), &shortMs);
    QByteArray raw;
    while (busy.state() == QAbstractSocket::ConnectedState && busy.waitForReadyRead(20000))
        raw += busy.readAll();
    raw += busy.readAll();
    qint64 longMs = 0;
    expectPlayableMp3(parseReply(raw), &longMs);
    EXPECT_GT(longMs, 60000);
}

// Only its owner, at its own address: a request without the secret, with
// another, or naming another host (a web page whose name was pointed at
// 127.0.0.1) is turned away at once with an error and no speech. Run by
// hand without a secret, the address is still checked.
TEST(SpeechService, ServesOnlyItsOwnerAtItsOwnAddress) {
    Service service;
    ASSERT_TRUE(service.listening());
    const QByteArray port = QByteArray::number(service.port());
    const QByteArray host = "Host: 127.0.0.1:" + port + "\r\n";
    const QByteArray secret = "Authorization: Bearer " + service.secret() + "\r\n";
    const QByteArray wrong = "Authorization: Bearer " + service.secret().chopped(1) + "x\r\n";
    const struct {
        const char* name;
        QByteArray headers;
        int status;
    } refused[] = {
        {"no secret", host, 401},
        {"wrong secret", host + wrong, 401},
        {"secret cut short", host + "Authorization: Bearer " + service.secret().left(8) + "\r\n",
         401},
        {"secret twice", host + secret + secret, 401},
        {"foreign host", "Host: evil.example:" + port + "\r\n" + secret, 403},
        {"loopback on another port", "Host: localhost:1\r\n" + secret, 403},
        {"no host", secret, 403},
        {"foreign host, no secret", "Host: evil.example:" + port + "\r\n", 403},
    };
    const QByteArray line = "GET " + speechTarget(chineseTextOfBytes(1998), 0) + " HTTP/1.1\r\n";
    for (const auto& c : refused) {
        const Reply reply = send(service.port(), line + c.headers + "\r\n");
        EXPECT_EQ(reply.status, c.status) << c.name;
        EXPECT_EQ(reply.contentType, "text/plain; charset=utf-8") << c.name;
    }
    qint64 ms = 0;
    expectPlayableMp3(
        send(service.port(), "GET " + speechTarget(u"休息"_qs) +
                                 " HTTP/1.1\r\nHost: LocalHost:" + port + "\r\n" + secret + "\r\n"),
        &ms);

    Service byHand({}, /*withSecret=*/false);
    ASSERT_TRUE(byHand.listening());
    EXPECT_EQ(byHand.get(speechTarget("hello")).status, 200);
    const QByteArray foreign = "Host: evil.example:" + QByteArray::number(byHand.port()) + "\r\n";
    EXPECT_EQ(
        send(byHand.port(), "GET " + speechTarget("hello") + " HTTP/1.1\r\n" + foreign + "\r\n")
            .status,
        403);
}

TEST(SpeechService, ExitsAfterIdleTimeButNotWhileAskedForWork) {
    Service service({"--idle", "1.5"});
    ASSERT_TRUE(service.listening());
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 3000) {
        EXPECT_EQ(service.get("/keepalive").status, 404);
        QThread::msleep(400);
    }
    EXPECT_EQ(service.process().state(), QProcess::Running);
    ASSERT_TRUE(service.process().waitForFinished(4000));
    EXPECT_EQ(service.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(service.process().exitCode(), 0);

    // It leaves with its owner: when the input it took the secret from ends.
    Service owned;
    ASSERT_TRUE(owned.listening());
    owned.process().closeWriteChannel();
    ASSERT_TRUE(owned.process().waitForFinished(5000));

    // Bad arguments are refused up front, and so is an owner with no secret.
    QProcess bad;
    bad.start(serviceBinary(), {"--port", "65536"});
    ASSERT_TRUE(bad.waitForFinished(5000));
    EXPECT_NE(bad.exitCode(), 0);
    bad.start(serviceBinary(), {"--port", "0", "--secret-stdin"});
    bad.write("\n");
    ASSERT_TRUE(bad.waitForFinished(5000));
    EXPECT_NE(bad.exitCode(), 0);
}

TEST(SpeechService, ServesLoopbackOnly) {
    QHostAddress outside;
    for (const QHostAddress& address : QNetworkInterface::allAddresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            outside = address;
    if (outside.isNull()) GTEST_SKIP() << "no non-loopback address on this machine";
    Service service;
    ASSERT_TRUE(service.listening());
    // Not reachable from the network at all...
    QTcpSocket fromNetwork;
    fromNetwork.connectToHost(outside, service.port());
    EXPECT_FALSE(fromNetwork.waitForConnected(1000));
    // ...and a peer whose address is not loopback gets no answer either.
    QTcpSocket foreignPeer;
    ASSERT_TRUE(foreignPeer.bind(outside));
    foreignPeer.connectToHost(QHostAddress::LocalHost, service.port());
    if (foreignPeer.waitForConnected(1000)) {
        foreignPeer.write(service.head("GET " + speechTarget("hello") + " HTTP/1.1"));
        QByteArray raw;
        while (foreignPeer.waitForReadyRead(2000)) raw += foreignPeer.readAll();
        EXPECT_TRUE(raw.isEmpty());
    }
    EXPECT_EQ(service.get(speechTarget("hello")).status, 200);
}
