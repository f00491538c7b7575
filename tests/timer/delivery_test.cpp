// How due reminders reach the user, through the whole program: real
// reminder boxes, a real HTTP speech endpoint on 127.0.0.1, the real media
// player, and the program's clock (timer, deadlines, speech waits) a
// manual one throughout. Only what really plays or travels takes real time.

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include "test_paths.h"

#include "common/files.h"
#include "common/program_fixture.h"
#include "common/speech_endpoint.h"
#include "common/wait.h"
#include "grid/grid_commands.h"
#include "media/beep.h"
#include "media/media_player.h"
#include "timer/delivery.h"
#include "timer/speech_queue.h"

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QString kGrid = u"高级表格1"_s;
const QString kTitle = u"时间到！！！！！"_s;
const QString kInterval = u"请注意，间隔提醒时间到了！"_s;
const QString kMusic = QStringLiteral(ZORVIK_TEST_DATA "/tone_1800ms.mp3");
// Rows due one, and two, counted seconds after the reminder before them.
const QString kOneSecond = u"0.0166667"_s;
const QString kTwoSeconds = u"0.0333334"_s;

using zorvik::ReminderKind;
using zt::reminderBoxes;
using zt::SpeechEndpoint;
using zt::waitUntil;

QByteArray clip(int ms) {
    return rt::toneWave(440, ms);
}

class Delivery : public zt::ProgramTest {
  protected:
    void TearDown() override {
        for (QMessageBox* box : reminderBoxes()) box->close();
        zt::ProgramTest::TearDown();
    }

    void useRows(const QList<QStringList>& rows) {
        set(u"启用自定义提醒"_s, rt::slot::Checked, 1);
        for (const QStringList& cells : rows) {
            rt::gridInsertRow(zt::kMain, kGrid, cells.value(0));
            const int row = prop(kGrid, rt::slot::GridRows).toInt() - 1;
            rt::gridSetCell(zt::kMain, kGrid, row, 1, rt::kGridCellText, cells.value(1));
        }
    }
    void useEndpoint(const SpeechEndpoint& endpoint) {
        zorvik::writeSetting(u"计时"_s, u"语音服务地址"_s, endpoint.address());
    }
    // A five-minute countdown, counted second by second, with what fell due
    // handed over after each.
    void startAndCount(int seconds) {
        setTime(0, 5, 0);
        click(u"开始"_s);
        count(seconds);
    }
    void count(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            clock.advanceSeconds(1);
            QApplication::processEvents();
        }
    }
    // Virtual time in small steps while real work (fetches, playback) goes on.
    // Virtual time runs fast, except while the player opens a medium: the
    // backend answers in real time, and the open's deadline must not pass
    // faster than that.
    bool runUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
        QElapsedTimer real;
        real.start();
        qint64 counted = 0;
        return waitUntil(
            [&] {
                if (done()) return true;
                const qint64 now = real.elapsed();
                const bool opening = control() && control()->isOpening();
                clock.advance(opening ? std::chrono::milliseconds(now - counted) : 50ms);
                counted = now;
                return false;
            },
            timeoutMs);
    }
    rt::MediaPlayerControl* control() const {
        return qobject_cast<rt::MediaPlayerControl*>(rt::controlObject(zt::kMain, u"媒体播放1"_s));
    }
    bool playing() const { return control() && control()->isPlaying(); }
    // The timer went on counting while delivery did its work.
    void expectCountingFrom(int elapsed) {
        clock.advanceSeconds(3);
        EXPECT_EQ(zorvik::core().elapsedSeconds, elapsed + 3);
        EXPECT_EQ(startCaption(), u"暂停"_s);
    }
    QString speechFile() const { return path(u"read.mp3"_s); }
    QStringList texts(const SpeechEndpoint& endpoint) const {
        QStringList out;
        for (const auto& r : endpoint.requests)
            out << QUrl::fromPercentEncoding(
                r.target.mid(r.target.indexOf("text=") + 5).split('&').value(0));
        return out;
    }
};

TEST_F(Delivery, MessageBoxesShowTheirTextAndHoldNothing) {
    chooseKind(ReminderKind::Box);
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
    QStringList shown;
    for (QMessageBox* box : reminderBoxes()) shown << box->text();
    shown.sort();
    EXPECT_EQ(shown, (QStringList{u"休息"_s, kInterval, kInterval, kInterval}));
    EXPECT_FALSE(control()->hasPlayer()) << "message boxes need no player";
}

// Boxes left open pile up: each new one opens a title bar's height away
// from the one before, on the screen, so that the pile shows.
TEST_F(Delivery, EachNewBoxOpensAwayFromTheOpenOnes) {
    chooseKind(ReminderKind::Box);
    set(u"提醒_编辑框"_s, rt::slot::EditContent, u"0.05"_s);  // every 3 s
    startAndCount(9);
    const QList<QMessageBox*> boxes = reminderBoxes();
    ASSERT_EQ(boxes.size(), 3);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QList<QPoint> corners;
    for (QMessageBox* box : boxes) {
        EXPECT_TRUE(screen.contains(box->frameGeometry()));
        corners << box->frameGeometry().topLeft();
    }
    for (int earlier : {0, 1}) {
        const QPoint apart = corners[2] - corners[earlier];
        EXPECT_GE(std::min(std::abs(apart.x()), std::abs(apart.y())), 10)
            << "box 3 at " << corners[2].x() << "," << corners[2].y() << ", box " << earlier + 1
            << " at " << corners[earlier].x() << "," << corners[earlier].y();
    }
}

// A one-second interval for an afternoon must not leave thousands of boxes:
// at most a screenful stay, the newest; a reset closes none of them.
TEST_F(Delivery, AtMostAScreenfulOfBoxesStaysOpenTheNewest) {
    chooseKind(ReminderKind::Box);
    set(u"提醒_编辑框"_s, rt::slot::EditContent, u"0.05"_s);  // every 3 s
    setTime(0, 5, 0);
    click(u"开始"_s);
    QList<QPointer<QMessageBox>> seen;  // a closed box may be gone, its address taken again
    for (int second = 0; second < 150; ++second) {
        clock.advanceSeconds(1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        for (QMessageBox* box : reminderBoxes())
            if (!seen.contains(box)) seen << box;
    }
    ASSERT_EQ(seen.size(), 50);
    QList<QMessageBox*> open = reminderBoxes(), newest;
    EXPECT_EQ(open.size(), zorvik::kMaxReminderBoxes);
    for (const QPointer<QMessageBox>& box : seen.mid(50 - zorvik::kMaxReminderBoxes))
        newest << box.data();
    std::sort(open.begin(), open.end());
    std::sort(newest.begin(), newest.end());
    EXPECT_EQ(open, newest) << "the oldest are closed";
    zorvik::resetTimer();
    QApplication::processEvents();
    EXPECT_EQ(reminderBoxes().size(), zorvik::kMaxReminderBoxes) << "the user may be reading them";
}

// Texts come from a table anyone can hand over: markup is shown as typed,
// nesting that would exhaust the rich text layout's stack is harmless, and
// no text makes a box taller than the screen or hides its button.
TEST_F(Delivery, RowTextsAreShownAsTypedInABoxThatFitsTheScreen) {
    const QString markup = u"<b style='color:red'>红</b><a href='file:///etc/passwd'>x</a>"_s;
    const QString nested = u"<table><tr><td>"_s.repeated(5000);
    const QString image = u"<img src='/usr/share/icons' width=30000 height=30000>"_s;
    const QString longText = u"长"_s.repeated(60000);
    chooseKind(ReminderKind::Box);
    useRows({{kOneSecond, markup},
             {kTwoSeconds, nested},
             {kTwoSeconds, image},
             {kTwoSeconds, longText}});
    startAndCount(10);
    QList<QMessageBox*> boxes = reminderBoxes();
    ASSERT_EQ(boxes.size(), 4);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QStringList shown;
    for (QMessageBox* box : boxes) {
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        box->grab();  // laid out and painted
        EXPECT_TRUE(screen.contains(box->frameGeometry())) << box->size().height();
        QAbstractButton* ok = box->button(QMessageBox::Ok);
        EXPECT_TRUE(ok->isVisible() && box->rect().contains(ok->geometry()));
        shown << (box->detailedText().isEmpty() ? box->text() : box->detailedText());
    }
    shown.sort();
    QStringList typed{markup, nested, image, longText};
    typed.sort();
    EXPECT_EQ(shown, typed) << "every text whole, in the box or its details";
}

// The length counts in whole seconds (0 for this 0.6 s clip), and the wait
// is that plus half a second; the file stays until the clip has played to
// its end all the same.
TEST_F(Delivery, SpeechIsFetchedPlayedToItsEndAndRemoved) {
    const QByteArray speech = clip(600);
    SpeechEndpoint endpoint([&](QTcpSocket* s, int) { SpeechEndpoint::reply(s, speech); });
    useEndpoint(endpoint);
    chooseKind(ReminderKind::Speech);
    useRows({{kOneSecond, u"休息"_s}});
    startAndCount(1);
    ASSERT_TRUE(waitUntil([&] { return playing(); }));
    ASSERT_EQ(endpoint.requests.size(), 1);
    const QByteArray head = endpoint.requests[0].head;
    EXPECT_EQ(endpoint.requests[0].target, "/txt/apiz.php?text=%E4%BC%91%E6%81%AF&spd=6");
    EXPECT_TRUE(
        head.contains("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"))
        << head.toStdString();
    EXPECT_TRUE(head.contains("\r\nAccept: */*\r\n")) << head.toStdString();
    EXPECT_EQ(zt::readAll(speechFile()), speech) << "the answer is what plays";
    EXPECT_EQ(control()->file(), QFileInfo(speechFile()).absoluteFilePath());

    clock.advance(520ms);  // past the half second; the clip plays on
    EXPECT_TRUE(QFile::exists(speechFile()));
    EXPECT_EQ(zorvik::pendingSpeech(), 1);
    ASSERT_TRUE(waitUntil([&] { return !QFile::exists(speechFile()); }));
    EXPECT_EQ(zorvik::pendingSpeech(), 0);
    EXPECT_FALSE(control()->hasPlayer()) << "the player is let go with the file";
    expectCountingFrom(1);
}

// An answer that is no clip (an error status, whatever its body; a page
// for a 200) is never written or played, and a clip the player cannot take
// (noise) is silent: none of them spoils the speech after it.
TEST_F(Delivery, OnlyAudioAnswersArePlayedAndNoneSpoilsTheNext) {
    SpeechEndpoint endpoint([](QTcpSocket* s, int n) {
        const QByteArray mp3Start = "ID3\x04" + QByteArray(400, '\0');
        if (n == 0)
            SpeechEndpoint::reply(s, "<html>Internal Server Error</html>", "500 Oops", "text/html");
        else if (n == 1)
            SpeechEndpoint::reply(s, "<html>Welcome</html>", "200 OK", "text/html");
        else if (n == 2)
            SpeechEndpoint::reply(s, mp3Start, "404 Not Found");
        else if (n == 3)
            SpeechEndpoint::reply(s, QByteArray(3000, '\x5a'));
        else
            SpeechEndpoint::reply(s, clip(200));
    });
    useEndpoint(endpoint);
    chooseKind(ReminderKind::Speech);
    QList<QStringList> rows;
    for (const QString& t : {u"一"_s, u"二"_s, u"三"_s, u"四"_s, u"五"_s})
        rows << QStringList{kTwoSeconds, t};
    useRows(rows);
    startAndCount(1);
    bool touched = false;
    ASSERT_TRUE(runUntil([&] {
        if (endpoint.requests.size() == 4) return true;  // the fourth is asked for
        touched = touched || QFile::exists(speechFile()) || control()->hasPlayer();
        return false;
    }));
    EXPECT_FALSE(touched) << "nothing of the first three answers was written or played";
    ASSERT_TRUE(runUntil([&] { return playing(); }));
    EXPECT_EQ(texts(endpoint), (QStringList{u"一"_s, u"二"_s, u"三"_s, u"四"_s, u"五"_s}));
    ASSERT_TRUE(runUntil([] { return zorvik::pendingSpeech() == 0; }));
    EXPECT_FALSE(QFile::exists(speechFile()));
}

TEST_F(Delivery, FailedSpeechIsSilentAndNeverStartsAServiceForAnotherAddress) {
    // A service beside the program that would leave a mark if started.
    zt::writeAll(path(u"zorvik-speech"_s), "#!/bin/sh\ntouch started\n");
    QFile(path(u"zorvik-speech"_s)).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    chooseKind(ReminderKind::Speech);
    useRows({{kOneSecond, u"休息"_s}, {u"1"_s, u"休息"_s}});

    // An endpoint that takes the request and never answers: given up after
    // 10 s on the clock.
    SpeechEndpoint silent([](QTcpSocket*, int) {});
    useEndpoint(silent);
    startAndCount(1);
    ASSERT_TRUE(waitUntil([&] { return silent.requests.size() == 1; }));
    count(10);
    EXPECT_TRUE(waitUntil([&] { return silent.requests[0].closed; }));
    clock.advance(500ms);
    EXPECT_EQ(zorvik::pendingSpeech(), 0);
    EXPECT_FALSE(QFile::exists(speechFile()));

    // A configured address where nothing listens refuses the connection.
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    zorvik::writeSetting(u"计时"_s, u"语音服务地址"_s, u"http://127.0.0.1:%1"_s.arg(closedPort));
    count(50);  // the second row falls due at 61
    EXPECT_EQ(zorvik::pendingSpeech(), 1);
    ASSERT_TRUE(runUntil([] { return zorvik::pendingSpeech() == 0; }));
    EXPECT_FALSE(QFile::exists(speechFile()));
    EXPECT_FALSE(QFile::exists(path(u"started"_s))) << "the configured service is someone else's";
    EXPECT_TRUE(reminderBoxes().isEmpty());
}

// A service that drips one byte a second holds a request only until its
// deadline; what fell due meanwhile is stale and dropped, not fetched in a
// burst, and the next reminder's fetch comes on time.
TEST_F(Delivery, ASlowServiceHoldsUpNothing) {
    SpeechEndpoint endpoint([](QTcpSocket* s, int n) {
        if (n == 0)
            s->write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        else
            SpeechEndpoint::reply(s, clip(100));
    });
    useEndpoint(endpoint);
    chooseKind(ReminderKind::Speech);
    set(u"提醒_编辑框"_s, rt::slot::EditContent, u"0.05"_s);  // every 3 s
    setTime(0, 5, 0);
    click(u"开始"_s);
    const rt::Clock::TimePoint start = clock.now();
    auto secondsAt = [&](int n) {
        return int(
            std::chrono::round<std::chrono::seconds>(endpoint.requests[n].at - start).count());
    };
    for (int second = 1; second <= 16; ++second) {
        clock.advanceSeconds(1);
        const qsizetype expected = second >= 15 ? 2 : second >= 3 ? 1 : 0;
        ASSERT_TRUE(waitUntil([&] { return endpoint.requests.size() >= expected; }, 2000));
        if (second == 12) {
            zt::pause(10);
            EXPECT_FALSE(endpoint.requests[0].closed) << "a byte a second keeps it alive";
        }
        if (second == 13) {
            EXPECT_TRUE(waitUntil([&] { return endpoint.requests[0].closed; }, 2000))
                << "ten seconds after the request, bytes or not";
        }
        if (second == 14) {
            EXPECT_FALSE(QFile::exists(speechFile())) << "a failed fetch writes nothing";
        }
        if (!endpoint.requests.isEmpty() && endpoint.requests[0].socket)
            endpoint.requests[0].socket->write("x");
    }
    zt::pause(50);
    ASSERT_EQ(endpoint.requests.size(), 2) << "nothing between the slow one and the next";
    EXPECT_EQ(secondsAt(0), 3);
    EXPECT_EQ(secondsAt(1), 15) << "the reminder after it is fetched when it falls due";
    EXPECT_EQ(zorvik::core().elapsedSeconds, 16) << "the timer kept time";
}

// At most three clips wait behind the one under way (a newer one pushes the
// oldest out), and a reset drops those still waiting.
TEST_F(Delivery, WaitingSpeechIsBoundedAndAResetDropsIt) {
    QList<QPointer<QTcpSocket>> held;
    bool holdFirst = true;
    SpeechEndpoint endpoint([&](QTcpSocket* s, int) {
        if (holdFirst) {
            holdFirst = false;
            held << s;
        } else {
            SpeechEndpoint::reply(s, clip(100));
        }
    });
    useEndpoint(endpoint);
    chooseKind(ReminderKind::Speech);
    QList<QStringList> rows;
    for (const QString& t : {u"一"_s, u"二"_s, u"三"_s, u"四"_s, u"五"_s})
        rows << QStringList{kTwoSeconds, t};
    useRows(rows);
    for (const bool reset : {false, true}) {
        startAndCount(10);  // due at 2, 4, 6, 8 and 10 s
        ASSERT_TRUE(waitUntil([&] { return held.size() == (reset ? 2 : 1); }));
        EXPECT_EQ(zorvik::pendingSpeech(), 4) << "one under way, three waiting";
        if (reset) zorvik::resetTimer();
        EXPECT_EQ(zorvik::pendingSpeech(), reset ? 1 : 4);
        SpeechEndpoint::reply(held.last(), clip(100));
        ASSERT_TRUE(runUntil([] { return zorvik::pendingSpeech() == 0; }));
        zorvik::resetTimer();
        holdFirst = true;
    }
    EXPECT_EQ(texts(endpoint), (QStringList{u"一"_s, u"三"_s, u"四"_s, u"五"_s, u"一"_s}));
    EXPECT_FALSE(QFile::exists(speechFile()));
}

TEST_F(Delivery, BoxAndSpeechTogetherShowTheBoxWithoutWaiting) {
    SpeechEndpoint endpoint([](QTcpSocket* s, int) { SpeechEndpoint::reply(s, clip(300)); });
    useEndpoint(endpoint);
    chooseKind(ReminderKind::BoxAndSpeech);
    useRows({{kOneSecond, u"休息"_s}});
    startAndCount(1);
    ASSERT_EQ(reminderBoxes().size(), 1);
    EXPECT_EQ(reminderBoxes()[0]->text(), u"休息"_s);
    EXPECT_EQ(reminderBoxes()[0]->windowTitle(), kTitle);
    ASSERT_TRUE(waitUntil([&] { return playing(); })) << "speech plays with the box open";
    EXPECT_EQ(reminderBoxes().size(), 1);
    EXPECT_EQ(texts(endpoint), QStringList{u"休息"_s});
}

TEST_F(Delivery, CustomMusicPlaysOnlyWhenItsFileExists) {
    chooseKind(ReminderKind::CustomAudio);
    useRows({{kOneSecond, QString()}, {kTwoSeconds, QString()}});
    const QString music = path(u"音乐/提醒.mp3"_s);
    zorvik::writeSetting(u"计时"_s, u"自定义音频路径"_s, music);
    startAndCount(1);
    EXPECT_FALSE(control()->hasPlayer()) << "a missing file makes no player";
    expectCountingFrom(1);  // the second row falls due meanwhile

    ASSERT_TRUE(QDir(dir.path()).mkpath(u"音乐"_s));
    ASSERT_TRUE(QFile::copy(kMusic, music));
    zorvik::resetTimer();
    startAndCount(1);
    ASSERT_TRUE(waitUntil([&] { return playing(); }));
    EXPECT_EQ(control()->file(), music);
    EXPECT_EQ(zorvik::pendingDeliveries(), 0);
    EXPECT_FALSE(QFile::exists(speechFile()));
    expectCountingFrom(1);
}

// The audio file is chosen in a dialog owned by the main window and modal
// to it alone; its one filter reads as the description writes it and lets
// the audio files through.
TEST_F(Delivery, AudioFileChooserListsAudioFilesUnderOneFilter) {
    for (const QString& name : {u"a.mp3"_s, u"b.wav"_s, u"c.mid"_s, u"d.txt"_s})
        zt::writeAll(path(name), "x");
    zorvik::writeSetting(u"计时"_s, u"自定义音频路径"_s, path(u"a.mp3"_s));
    click(u"选择音频_按钮"_s);
    auto* dialog = rt::windowWidget(zt::kMain)->findChild<QFileDialog*>(u"zorvikFileDialog"_s);
    ASSERT_TRUE(dialog && dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog->nameFilters(), QStringList{u"音频文件(*.mp3;*.wav;*.mid)"_s});
    auto* model = dialog->findChild<QFileSystemModel*>();
    ASSERT_TRUE(model);
    const QModelIndex folder = model->index(dir.path());
    QStringList listed;
    ASSERT_TRUE(waitUntil([&] {
        listed.clear();
        for (int row = 0; row < model->rowCount(folder); ++row)
            listed << model->index(row, 0, folder).data().toString();
        return listed.contains(u"a.mp3"_s);
    }));
    listed.sort();
    EXPECT_EQ(listed.filter(u"."_s), (QStringList{u"a.mp3"_s, u"b.wav"_s, u"c.mid"_s}));

    // Typed into its file name box and opened, as a user does.
    auto* name = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s);
    ASSERT_TRUE(name);
    name->setText(u"c.mid"_s);
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->click();
    EXPECT_EQ(zorvik::readSetting(u"计时"_s, u"自定义音频路径"_s), path(u"c.mid"_s));
    EXPECT_EQ(prop(u"选择音频_按钮"_s, rt::slot::ButtonCaption).toString(), u"切换音频"_s);
}

TEST_F(Delivery, NoReminderTypeDeliversNothing) {
    chooseKind(ReminderKind::Nothing);
    useRows({{kOneSecond, u"休息"_s}});
    startAndCount(30);
    EXPECT_TRUE(reminderBoxes().isEmpty());
    EXPECT_EQ(zorvik::pendingDeliveries(), 0);
    EXPECT_FALSE(QFile::exists(speechFile()));
    EXPECT_FALSE(control()->hasPlayer());
    EXPECT_FALSE(zorvik::core().rowArmed) << "the row fired all the same";
}

TEST(SpeechRequest, EveryUtf8ByteIsPercentEncoded) {
    EXPECT_EQ(zorvik::percentEncodeUtf8(u"abc"_s), "%61%62%63");
    EXPECT_EQ(zorvik::percentEncodeUtf8(u"休息 1"_s), "%E4%BC%91%E6%81%AF%20%31");
    EXPECT_EQ(zorvik::percentEncodeUtf8(QString()), "");
}

TEST_F(Delivery, SpeechAddressIsTheProgramsOwnServiceUnlessConfigured) {
    EXPECT_EQ(zorvik::configuredSpeechAddress(), QString());
    EXPECT_FALSE(fileBytes(u"配置.ini"_s).contains(rt::toGbk(u"语音服务地址"_s)))
        << "the program never writes the key";
    zorvik::writeSetting(u"计时"_s, u"语音服务地址"_s, u" http://speech.example:8080// "_s);
    EXPECT_EQ(zorvik::speechRequestUrl(zorvik::configuredSpeechAddress(), u"abc"_s),
              u"http://speech.example:8080/txt/apiz.php?text=%61%62%63&spd=6"_s);
    EXPECT_EQ(zorvik::speechFilePath(), path(u"read.mp3"_s));
}

}  // namespace
