// How due reminders reach the user, through the whole program: real
// reminder boxes, a real HTTP speech endpoint on 127.0.0.1, the real media
// player, and the timer counting on a manual clock throughout.

#include <QDir>
#include <QElapsedTimer>
#include <QMediaPlayer>
#include <QMessageBox>
#include <QTcpServer>
#include <QTcpSocket>

#include "common/program_fixture.h"
#include "runtime/grid_commands.h"
#include "runtime/http.h"
#include "runtime/media_player.h"
#include "timer/delivery.h"

using namespace Qt::StringLiterals;

namespace {

const QString kGrid = u"高级表格1"_s;
const QString kTitle = u"时间到！！！！！"_s;
const QString kInterval = u"请注意，间隔提醒时间到了！"_s;
const QString kClip = QStringLiteral(ZORVIK_TEST_DATA "/tone_1800ms.mp3");
// One row due one counted second after the start.
const QString kOneSecond = u"0.0166667"_s;

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool eventually(const std::function<bool()>& done, int timeoutMs = 8000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs) QTest::qWait(5);
    return done();
}

using zt::reminderBoxes;

// A speech endpoint: notes each request as it arrives and answers with the
// clip, or never answers at all.
class SpeechEndpoint : public QObject {
  public:
    struct Request {
        QByteArray head;
        qint64 atMs;
        bool speechFileExisted;
    };

    SpeechEndpoint(QByteArray clip, QString speechFile, bool answers = true)
        : clip_(std::move(clip)), speechFile_(std::move(speechFile)), answers_(answers) {
        since_.start();
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) accept(s);
        });
    }
    QString address() const { return u"http://127.0.0.1:%1/"_s.arg(server_.serverPort()); }

    QList<Request> requests;

  private:
    void accept(QTcpSocket* socket) {
        auto* head = new QByteArray;
        connect(socket, &QObject::destroyed, this, [head] { delete head; });
        connect(socket, &QTcpSocket::readyRead, this, [=, this] {
            head->append(socket->readAll());
            if (!head->contains("\r\n\r\n") || socket->property("seen").toBool()) return;
            socket->setProperty("seen", true);
            requests << Request{*head, since_.elapsed(), QFile::exists(speechFile_)};
            if (!answers_) return;
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\nContent-Length: " +
                          QByteArray::number(clip_.size()) + "\r\nConnection: close\r\n\r\n" +
                          clip_);
            socket->disconnectFromHost();
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    QTcpServer server_;
    QByteArray clip_;
    QString speechFile_;
    bool answers_;
    QElapsedTimer since_;
};

QByteArray target(const QByteArray& head) {
    return head.left(head.indexOf("\r\n")).split(' ').value(1);
}

class Delivery : public zt::ProgramTest {
  protected:
    void TearDown() override {
        // Speech in flight would reach into the next test's folder.
        eventually([] { return zorvik::pendingSpeech() == 0; }, 10000);
        for (QMessageBox* box : reminderBoxes()) box->close();
        rt::setHttpTimeout(0);
        zt::ProgramTest::TearDown();
    }

    void useKind(int kind) { set(u"提醒类型_组合框"_s, rt::slot::ComboSelection, kind); }
    void useRows(const QList<QStringList>& rows) {
        set(u"启用自定义提醒"_s, rt::slot::Checked, 1);
        for (const QStringList& cells : rows) {
            rt::gridInsertRow(zt::kMain, kGrid, cells.value(0));
            const int row = prop(kGrid, rt::slot::GridRows).toInt() - 1;
            rt::gridSetCell(zt::kMain, kGrid, row, 1, rt::kGridCellText, cells.value(1));
        }
    }
    // A five-minute countdown, counted for the given seconds.
    void startAndCount(int seconds) {
        setTime(0, 5, 0);
        click(u"开始"_s);
        clock.advanceSeconds(seconds);
        QApplication::processEvents();
    }
    rt::MediaPlayerControl* control() const {
        return qobject_cast<rt::MediaPlayerControl*>(rt::controlObject(zt::kMain, u"媒体播放1"_s));
    }
    QMediaPlayer* player() const {
        return control() ? control()->findChild<QMediaPlayer*>() : nullptr;
    }
    bool playing() const {
        return player() && player()->playbackState() == QMediaPlayer::PlayingState;
    }
    // The timer went on counting while delivery did its work.
    void expectCountingFrom(int elapsed) {
        clock.advanceSeconds(3);
        EXPECT_EQ(zorvik::core().elapsedSeconds, elapsed + 3);
        EXPECT_EQ(startCaption(), u"暂停"_s);
    }
    QString speechFile() const { return path(u"read.mp3"_s); }
};

TEST_F(Delivery, MessageBoxesShowTheirTextAndHoldNothing) {
    useKind(1);
    EXPECT_FALSE(control()->hasPlayer()) << "no player is made at start-up";
    set(u"提醒_编辑框"_s, rt::slot::EditContent, u"1"_s);
    startAndCount(120);
    ASSERT_EQ(reminderBoxes().size(), 2) << "both interval reminders stay open";
    for (QMessageBox* box : reminderBoxes()) {
        EXPECT_EQ(box->text(), kInterval);
        EXPECT_EQ(box->windowTitle(), kTitle);
        EXPECT_EQ(box->windowModality(), Qt::NonModal);
    }
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    expectCountingFrom(120);
    zorvik::resetTimer();

    // A row's own text, and the interval message for a row without one.
    useRows({{kOneSecond, u"休息"_s}, {u"1"_s, QString()}});
    startAndCount(62);
    QStringList texts;
    for (QMessageBox* box : reminderBoxes()) {
        texts << box->text();
        EXPECT_EQ(box->windowTitle(), kTitle);
    }
    texts.sort();
    EXPECT_EQ(texts, (QStringList{u"休息"_s, kInterval, kInterval, kInterval}));
    EXPECT_FALSE(control()->hasPlayer()) << "message boxes need no player";
}

TEST_F(Delivery, SpeechIsFetchedPlayedToItsEndAndRemoved) {
    const QByteArray clip = readAll(kClip);
    ASSERT_FALSE(clip.isEmpty());
    SpeechEndpoint endpoint(clip, speechFile());
    zorvik::writeSetting(u"计时"_s, u"语音服务地址"_s, endpoint.address());
    useKind(2);
    useRows({{kOneSecond, u"休息"_s}});
    startAndCount(1);

    ASSERT_TRUE(eventually([&] { return !endpoint.requests.isEmpty(); }));
    const QByteArray head = endpoint.requests[0].head;
    EXPECT_EQ(target(head), "/txt/apiz.php?text=%E4%BC%91%E6%81%AF&spd=6");
    EXPECT_TRUE(
        head.contains("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"))
        << head.toStdString();
    EXPECT_TRUE(head.contains("\r\nAccept: */*\r\n")) << head.toStdString();

    ASSERT_TRUE(eventually([&] { return playing(); }));
    EXPECT_EQ(readAll(speechFile()), clip) << "the answer is what plays";
    EXPECT_EQ(player()->source(), QUrl::fromLocalFile(QFileInfo(speechFile()).absoluteFilePath()));
    expectCountingFrom(1);

    // The length counts in whole seconds (1 s here), but the file stays
    // until the clip has played to its end.
    ASSERT_TRUE(eventually([&] { return !QFile::exists(speechFile()); }));
    EXPECT_EQ(player()->mediaStatus(), QMediaPlayer::EndOfMedia);
    EXPECT_EQ(zorvik::pendingSpeech(), 0);
}

TEST_F(Delivery, SpeechRemindersTakeTurns) {
    SpeechEndpoint endpoint(readAll(kClip), speechFile());
    zorvik::writeSetting(u"计时"_s, u"语音服务地址"_s, endpoint.address());
    useKind(2);
    // Due at 1 and 3 counted seconds: both are waiting before the first
    // speech has even been asked for.
    useRows({{kOneSecond, u"一"_s}, {u"0.0333334"_s, u"二"_s}});
    startAndCount(3);
    EXPECT_EQ(zorvik::pendingSpeech(), 2);
    ASSERT_TRUE(eventually([&] { return endpoint.requests.size() == 2; }));
    EXPECT_EQ(target(endpoint.requests[0].head), "/txt/apiz.php?text=%E4%B8%80&spd=6");
    EXPECT_EQ(target(endpoint.requests[1].head), "/txt/apiz.php?text=%E4%BA%8C&spd=6");
    // The second is asked for only once the first has played its 1.8 s
    // and its file is gone.
    EXPECT_GE(endpoint.requests[1].atMs - endpoint.requests[0].atMs, 1700);
    EXPECT_FALSE(endpoint.requests[1].speechFileExisted);
    ASSERT_TRUE(eventually([] { return zorvik::pendingSpeech() == 0; }));
    EXPECT_FALSE(QFile::exists(speechFile()));
}

TEST_F(Delivery, FailedSpeechIsSilentAndNeverStartsAServiceForAnotherAddress) {
    // A service beside the program that would leave a mark if started.
    QFile launcher(path(u"zorvik-speech"_s));
    ASSERT_TRUE(launcher.open(QIODevice::WriteOnly));
    launcher.write("#!/bin/sh\ntouch started\n");
    launcher.close();
    launcher.setPermissions(launcher.permissions() | QFile::ExeOwner);
    useKind(2);
    useRows({{kOneSecond, u"休息"_s}, {u"1"_s, u"休息"_s}});

    // An endpoint that takes the request and never answers.
    rt::setHttpTimeout(300);
    SpeechEndpoint silent({}, speechFile(), /*answers=*/false);
    zorvik::writeSetting(u"计时"_s, u"语音服务地址"_s, silent.address());
    startAndCount(1);
    ASSERT_TRUE(eventually([&] { return silent.requests.size() == 1; }));
    expectCountingFrom(1);
    ASSERT_TRUE(eventually([] { return zorvik::pendingSpeech() == 0; }));
    EXPECT_FALSE(QFile::exists(speechFile()));

    // A configured address where nothing listens refuses the connection.
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    zorvik::writeSetting(u"计时"_s, u"语音服务地址"_s, u"http://127.0.0.1:%1"_s.arg(closedPort));
    clock.advanceSeconds(57);  // the second row falls due at 61
    QApplication::processEvents();
    EXPECT_EQ(zorvik::pendingSpeech(), 1);
    ASSERT_TRUE(eventually([] { return zorvik::pendingSpeech() == 0; }));
    EXPECT_FALSE(QFile::exists(speechFile()));
    EXPECT_FALSE(QFile::exists(path(u"started"_s))) << "the configured service is someone else's";
    EXPECT_TRUE(reminderBoxes().isEmpty());
    expectCountingFrom(61);
}

TEST_F(Delivery, BoxAndSpeechTogetherShowTheBoxWithoutWaiting) {
    SpeechEndpoint endpoint(readAll(kClip), speechFile());
    zorvik::writeSetting(u"计时"_s, u"语音服务地址"_s, endpoint.address());
    useKind(3);
    useRows({{kOneSecond, u"休息"_s}});
    startAndCount(1);
    ASSERT_EQ(reminderBoxes().size(), 1);
    EXPECT_EQ(reminderBoxes()[0]->text(), u"休息"_s);
    EXPECT_EQ(reminderBoxes()[0]->windowTitle(), kTitle);
    ASSERT_TRUE(eventually([&] { return playing(); })) << "speech plays with the box open";
    EXPECT_EQ(reminderBoxes().size(), 1);
    EXPECT_EQ(target(endpoint.requests.value(0).head),
              "/txt/apiz.php?text=%E4%BC%91%E6%81%AF&spd=6");
}

TEST_F(Delivery, CustomMusicPlaysOnlyWhenItsFileExists) {
    useKind(4);
    useRows({{kOneSecond, QString()}, {u"0.0333334"_s, QString()}});
    const QString music = path(u"音乐/提醒.mp3"_s);
    zorvik::writeSetting(u"计时"_s, u"自定义音频路径"_s, music);
    startAndCount(1);
    EXPECT_FALSE(control()->hasPlayer()) << "a missing file makes no player";
    expectCountingFrom(1);  // the second row falls due meanwhile

    ASSERT_TRUE(QDir(dir.path()).mkpath(u"音乐"_s));
    ASSERT_TRUE(QFile::copy(kClip, music));
    zorvik::resetTimer();
    startAndCount(1);
    ASSERT_TRUE(eventually([&] { return playing(); }));
    EXPECT_EQ(player()->source(), QUrl::fromLocalFile(music));
    EXPECT_FALSE(QFile::exists(speechFile()));
    expectCountingFrom(1);
}

TEST_F(Delivery, NoReminderTypeDeliversNothing) {
    useKind(5);
    useRows({{kOneSecond, u"休息"_s}});
    startAndCount(30);
    QTest::qWait(100);
    EXPECT_TRUE(reminderBoxes().isEmpty());
    EXPECT_EQ(zorvik::pendingSpeech(), 0);
    EXPECT_FALSE(QFile::exists(speechFile()));
    EXPECT_FALSE(control()->hasPlayer());
    EXPECT_EQ(zorvik::core().rowArmed, 0) << "the row fired all the same";
}

TEST(SpeechRequest, EveryUtf8ByteIsPercentEncoded) {
    EXPECT_EQ(zorvik::percentEncodeUtf8(u"abc"_s), "%61%62%63");
    EXPECT_EQ(zorvik::percentEncodeUtf8(u"休息 1"_s), "%E4%BC%91%E6%81%AF%20%31");
    EXPECT_EQ(zorvik::percentEncodeUtf8(QString()), "");
}

TEST_F(Delivery, SpeechAddressIsTheLocalServiceUnlessConfigured) {
    EXPECT_EQ(zorvik::speechBaseAddress(), u"http://127.0.0.1:17388"_s);
    EXPECT_FALSE(fileBytes(u"配置.ini"_s).contains(rt::toGbk(u"语音服务地址"_s)))
        << "the program never writes the key";
    zorvik::writeSetting(u"计时"_s, u"语音服务地址"_s, u" http://speech.example:8080// "_s);
    EXPECT_EQ(zorvik::speechBaseAddress(), u"http://speech.example:8080"_s);
}

}  // namespace
