// Speech reminders from the whole program with nothing configured: the
// program starts its own service, uses it for every clip while it lives,
// starts a new one when it has gone, and the speech it plays is real MP3.
// Another program listening on the service's usual port is never asked.

#include <unistd.h>
#include <QDir>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include "common/process.h"

#include "common/program_fixture.h"
#include "common/wait.h"
#include "grid/grid_commands.h"
#include "media/media_player.h"
#include "media/speech_service.h"
#include "speech_client.h"
#include "timer/delivery.h"
#include "timer/speech_queue.h"

using namespace Qt::StringLiterals;

namespace {

bool eventually(const std::function<bool()>& done, int timeoutMs) {
    return zt::waitUntil(done, timeoutMs);
}

// The service processes that run this binary in this folder: the ones the
// program started for this test, and nobody else's.
QList<qint64> servicesStartedIn(const QString& folder, const QString& binary) {
    QList<qint64> found;
    const QString cwd = QFileInfo(folder).canonicalFilePath();
    const QString exe = QFileInfo(binary).canonicalFilePath();
    for (const QString& entry : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric) continue;
        const QString base = u"/proc/"_s + entry;
        if (QFileInfo(base + u"/cwd"_s).symLinkTarget() == cwd &&
            QFileInfo(base + u"/exe"_s).symLinkTarget() == exe)
            found << pid;
    }
    return found;
}

qint64 parentOf(qint64 pid) {
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return 0;
    const QByteArray line = stat.readAll();
    // pid (name) state ppid ...: the name may hold blanks, so count from its end.
    return line.mid(line.lastIndexOf(')') + 2).split(' ').value(1).toLongLong();
}

// On the steady clock: the service's start-up is real, and so is the wait for it.
class SpeechEndToEnd : public zt::ProgramTest {
  protected:
    void SetUp() override {
        zt::ProgramTest::SetUp();
        zorvik::setClock(nullptr);
    }
    void prepareFolder() override {
        ASSERT_TRUE(QFile::exists(speechtest::serviceBinary())) << "build zorvik-speech first";
        ASSERT_TRUE(QFile::link(speechtest::serviceBinary(), path(u"zorvik-speech"_s)));
    }
    void TearDown() override {
        eventually([] { return zorvik::pendingSpeech() == 0; }, 10000);
        for (qint64 pid : servicesStartedIn(dir.path(), speechtest::serviceBinary())) {
            zt::killProcess(pid);
            eventually([pid] { return !zt::processAlive(pid); }, 3000);
        }
        zt::ProgramTest::TearDown();
    }
};

TEST_F(SpeechEndToEnd, TheProgramSpeaksThroughAServiceOfItsOwn) {
    // Another program on the port a user would run the service on by hand.
    QTcpServer stranger;
    if (!stranger.listen(QHostAddress::LocalHost, 17388))
        GTEST_SKIP() << "127.0.0.1:17388 is taken by another program";
    int strangerAsked = 0;
    QObject::connect(&stranger, &QTcpServer::newConnection, &stranger, [&] {
        while (stranger.nextPendingConnection()) ++strangerAsked;
    });
    auto* control =
        qobject_cast<rt::MediaPlayerControl*>(rt::controlObject(zt::kMain, u"媒体播放1"_s));
    ASSERT_NE(control, nullptr);
    EXPECT_FALSE(control->hasPlayer()) << "no player before the first reminder";
    // Without a sound device a clip plays through in a few milliseconds,
    // too briefly to catch its playing state: its end is what shows it played.
    QObject watcher;
    int played = 0;
    QObject::connect(control, &rt::MediaPlayerControl::finished, &watcher, [&] { ++played; });
    const QString speech = path(u"read.mp3"_s);
    const QString binary = speechtest::serviceBinary();

    chooseKind(zorvik::ReminderKind::Speech);
    set(u"启用自定义提醒"_s, rt::slot::Checked, 1);
    rt::gridInsertRow(zt::kMain, u"高级表格1"_s, u"0.0166667"_s);
    rt::gridSetCell(zt::kMain, u"高级表格1"_s, 1, 1, rt::kGridCellText, u"休息一下"_s);
    setTime(0, 5, 0);
    click(u"开始"_s);
    // The file stays while its clip is due to play.
    ASSERT_TRUE(eventually([&] { return control->hasPlayer() && QFile::exists(speech); }, 15000));
    QFile file(speech);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const speechtest::Mp3Scan scan = speechtest::scanMp3(file.readAll());
    EXPECT_TRUE(scan.valid);
    EXPECT_GT(scan.durationMs, 300) << "a few syllables of speech";
    const int counted = zorvik::core().elapsedSeconds;
    ASSERT_TRUE(eventually([&] { return zorvik::core().elapsedSeconds >= counted + 1; }, 3000))
        << "the timer counts on while it speaks";
    ASSERT_TRUE(eventually([&] { return played == 1; }, 15000)) << "the clip is played to its end";
    ASSERT_TRUE(eventually([] { return zorvik::pendingSpeech() == 0; }, 15000));
    EXPECT_FALSE(QFile::exists(speech));
    const QList<qint64> first = servicesStartedIn(dir.path(), binary);
    ASSERT_EQ(first.size(), 1);
    EXPECT_EQ(parentOf(first[0]), qint64(::getpid())) << "a child of the program";

    // The next clip uses the same service; once it has gone, a new one.
    auto speak = [&](int clips) {
        zorvik::speakText(u"再来一次"_s);
        return eventually([&] { return played == clips && zorvik::pendingSpeech() == 0; }, 15000);
    };
    ASSERT_TRUE(speak(2));
    EXPECT_EQ(servicesStartedIn(dir.path(), binary), first);
    zt::killProcess(first[0]);
    ASSERT_TRUE(eventually([&] { return !zt::processAlive(first[0]); }, 3000));
    ASSERT_TRUE(speak(3));
    const QList<qint64> second = servicesStartedIn(dir.path(), binary);
    ASSERT_EQ(second.size(), 1);
    EXPECT_NE(second, first);
    zt::pause(50);
    EXPECT_EQ(strangerAsked, 0) << "nothing is sent to a fixed port";

    // The service ends with the program's window.
    zorvik::cancelDeliveries();
    EXPECT_TRUE(eventually([&] { return servicesStartedIn(dir.path(), binary).isEmpty(); }, 3000));
}

}  // namespace
