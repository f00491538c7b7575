// Yes to "是否终止计时并退出计时器？" whatever delivery is doing: the main
// window goes at once, nothing it started calls back or keeps running, and
// no speech file is left behind. The whole program in-process, a real
// speech endpoint on 127.0.0.1, the real media backend, the program's clock
// a manual one.

#include <QAbstractButton>
#include <QDir>
#include <random>
#include "test_paths.h"

#include "common/program_fixture.h"
#include "common/speech_endpoint.h"
#include "common/wait.h"
#include "media/beep.h"
#include "media/media_player.h"
#include "timer/delivery.h"
#include "timer/speech_queue.h"

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

using zt::SpeechEndpoint;
using zt::waitUntil;

const QString kMusic = QStringLiteral(ZORVIK_TEST_DATA "/tone_1800ms.mp3");

class Exit : public zt::ProgramTest {
  protected:
    void SetUp() override {
        zt::ProgramTest::SetUp();
        ASSERT_TRUE(QFile::copy(kMusic, path(u"提醒.mp3"_s)));
    }
    void TearDown() override {
        for (QMessageBox* box : zt::reminderBoxes()) {
            box->close();
        }
        zt::ProgramTest::TearDown();
    }

    // Loads the main window again after an exit (the settings file is there
    // now, so no first-start pause) and sets up a reminder of kind every 3 s.
    void prepare(zorvik::ReminderKind kind, const SpeechEndpoint& endpoint) {
        if (!rt::isLoaded(zt::kMain)) {
            ASSERT_TRUE(rt::loadWindow(zt::kMain));
        }
        zorvik::writeSetting(u"计时"_s, u"语音服务地址"_s, endpoint.address());
        zorvik::writeSetting(u"计时"_s, u"自定义音频路径"_s, path(u"提醒.mp3"_s));
        chooseKind(kind);
        set(u"提醒_编辑框"_s, rt::slot::EditContent, u"0.05"_s);
        setTime(0, 5, 0);
        click(u"开始"_s);
        clock.advanceSeconds(3);
    }

    // The exit button, answered Yes as soon as the question shows. Returns
    // whether the window went without anything holding it up.
    bool exitWithYes() {
        std::function<void()> answer = [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box->button(QMessageBox::Yes))
                box->button(QMessageBox::Yes)->click();
            else
                QTimer::singleShot(1, qApp, answer);
        };
        QTimer::singleShot(0, qApp, answer);
        click(u"按钮_退出"_s);
        return waitUntil([] { return !rt::isLoaded(zt::kMain); }, 1000);
    }

    // Nothing of the program is left over once its window has gone.
    void expectNothingLeft(const QString& when) {
        EXPECT_EQ(zorvik::pendingDeliveries(), 0) << when.toStdString();
        EXPECT_EQ(clock.pending(), 0) << "a deadline outlived the window: " << when.toStdString();
        EXPECT_FALSE(QFile::exists(speechFile())) << when.toStdString();
        EXPECT_TRUE(zt::reminderBoxes().isEmpty()) << when.toStdString();
        EXPECT_EQ(rt::controlObject(zt::kMain, u"媒体播放1"_s), nullptr);
    }

    QString speechFile() const { return zorvik::speechFilePath(); }
    rt::MediaPlayerControl* control() const {
        return qobject_cast<rt::MediaPlayerControl*>(rt::controlObject(zt::kMain, u"媒体播放1"_s));
    }
    bool opening(const QString& file) const {
        return control() && control()->isOpening() && control()->file() == file;
    }
    bool playing() const { return control() && control()->isPlaying(); }
};

// The moments that once hung the program or left the speech file behind:
// the custom audio file or a speech clip being opened, speech playing, and
// a fetch the service holds.
TEST_F(Exit, YesWhileAMediumOpensOrSpeechPlaysLeavesNothing) {
    QPointer<QTcpSocket> held;
    bool hold = false;
    SpeechEndpoint endpoint([&](QTcpSocket* s, int) {
        if (hold)
            held = s;  // never answered
        else
            SpeechEndpoint::reply(s, rt::toneWave(440, 1500));
    });
    struct Stage {
        const char* name;
        zorvik::ReminderKind kind;
        bool holdFetch;
        std::function<bool()> reached;
    };
    const QList<Stage> stages = {
        {"custom audio opening", zorvik::ReminderKind::CustomAudio, false,
         [&] { return opening(path(u"提醒.mp3"_s)); }},
        {"speech opening", zorvik::ReminderKind::Speech, false,
         [&] { return opening(QFileInfo(speechFile()).absoluteFilePath()); }},
        {"speech fetch held", zorvik::ReminderKind::Speech, true, [&] { return !held.isNull(); }},
        {"speech playing", zorvik::ReminderKind::BoxAndSpeech, false, [&] { return playing(); }},
    };
    for (const Stage& stage : stages) {
        SCOPED_TRACE(stage.name);
        hold = stage.holdFetch;
        prepare(stage.kind, endpoint);
        ASSERT_TRUE(waitUntil(stage.reached, 3000));
        ASSERT_TRUE(exitWithYes()) << "the window stayed";
        expectNothingLeft(stage.name);
        zt::pause(50);  // what would still call back, would now
        EXPECT_FALSE(QFile::exists(speechFile()));
    }
    EXPECT_TRUE(waitUntil([&] {
        return held.isNull() || held->state() != QTcpSocket::ConnectedState;
    })) << "the held request was abandoned";
}

// Yes at 200 moments across deliveries of every kind, with a speech
// service that answers, drips, fails and talks nonsense in turn.
TEST_F(Exit, YesAtAnyMomentOfAnyDeliveryEndsEverything) {
    std::mt19937 random(20240607);  // fixed, so a failure can be replayed
    const QByteArray speech = rt::toneWave(440, 300);
    SpeechEndpoint endpoint([&](QTcpSocket* s, int) {
        switch (random() % 5) {
            case 0:
                SpeechEndpoint::reply(s, speech);
                break;
            case 1:
                s->write("HTTP/1.1 200 OK\r\nContent-Length: 50000\r\n\r\nID3");
                break;
            case 2:
                SpeechEndpoint::reply(s, "<html>Internal Server Error</html>", "500 Oops");
                break;
            case 3:
                SpeechEndpoint::reply(s, QByteArray(5000, '\x7f'));
                break;
            default: {
                const QPointer<QTcpSocket> later = s;
                QTimer::singleShot(int(random() % 20), s, [later, speech] {
                    if (later) SpeechEndpoint::reply(later, speech);
                });
            }
        }
    });
    for (int i = 0; i < 200; ++i) {
        const int kind = i % zorvik::kReminderKindCount;
        prepare(zorvik::reminderKindAt(kind), endpoint);
        // A moment somewhere in the delivery: real time for what is real
        // (transfers, decoding, playback; mostly short, now and then long
        // enough for a clip to play), virtual time for the waits.
        auto realMs = [&] { return int(random() % 4 == 0 ? random() % 30 : random() % 5); };
        zt::pause(realMs());
        clock.advance(std::chrono::milliseconds(random() % 1500));
        zt::pause(realMs());
        ASSERT_TRUE(exitWithYes()) << "exit " << i << " (kind " << kind << ") hung";
        expectNothingLeft(QStringLiteral("exit %1, kind %2").arg(i).arg(kind));
        if (HasFailure()) break;
    }
    EXPECT_GT(endpoint.requests.size(), 50);
    EXPECT_TRUE(waitUntil([&] {
        for (const auto& r : endpoint.requests)
            if (!r.closed && r.socket && r.socket->state() == QTcpSocket::ConnectedState)
                return false;
        return true;
    })) << "every request the program made has been closed";
}

}  // namespace
