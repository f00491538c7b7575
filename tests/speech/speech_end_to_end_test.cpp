// A speech reminder from the whole program with nothing configured and no
// service running: the program starts the local service that sits beside
// it, and the speech it plays is real MP3.

#include <QDir>
#include <QElapsedTimer>
#include <QTcpSocket>
#include "common/process.h"

#include "common/program_fixture.h"
#include "common/wait.h"
#include "grid/grid_commands.h"
#include "media/media_player.h"
#include "media/speech_service.h"
#include "speech_client.h"
#include "timer/delivery.h"

using namespace Qt::StringLiterals;

namespace {

bool eventually(const std::function<bool()>& done, int timeoutMs) {
    return zt::waitUntil(done, timeoutMs);
}

bool somethingListensOn(quint16 port) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    const bool connected = socket.waitForConnected(1000);
    socket.abort();
    return connected;
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

TEST_F(SpeechEndToEnd, DefaultAddressStartsTheServiceBesideTheProgram) {
    if (somethingListensOn(rt::kLocalSpeechPort))
        GTEST_SKIP() << "something already listens on 127.0.0.1:" << rt::kLocalSpeechPort
                     << "; this test needs the port free to see the program start its service";
    auto* control =
        qobject_cast<rt::MediaPlayerControl*>(rt::controlObject(zt::kMain, u"媒体播放1"_s));
    ASSERT_NE(control, nullptr);
    EXPECT_FALSE(control->hasPlayer()) << "no player before the first reminder";

    set(u"提醒类型_组合框"_s, rt::slot::ComboSelection, 2);
    set(u"启用自定义提醒"_s, rt::slot::Checked, 1);
    rt::gridInsertRow(zt::kMain, u"高级表格1"_s, u"0.0166667"_s);
    rt::gridSetCell(zt::kMain, u"高级表格1"_s, 1, 1, rt::kGridCellText, u"休息一下"_s);
    setTime(0, 5, 0);
    click(u"开始"_s);

    const QString speech = path(u"read.mp3"_s);
    // Without a sound device the clip plays through in a few milliseconds,
    // too briefly to catch its playing state: its end is what shows it played.
    QObject watcher;
    bool played = false;
    QObject::connect(control, &rt::MediaPlayerControl::finished, &watcher,
                     [&played] { played = true; });
    // The file stays while its clip is due to play.
    ASSERT_TRUE(eventually([&] { return control->hasPlayer() && QFile::exists(speech); }, 15000));
    QFile file(speech);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const speechtest::Mp3Scan scan = speechtest::scanMp3(file.readAll());
    EXPECT_TRUE(scan.valid);
    EXPECT_GT(scan.durationMs, 300) << "a few syllables of speech";
    EXPECT_EQ(servicesStartedIn(dir.path(), speechtest::serviceBinary()).size(), 1);

    const int counted = zorvik::core().elapsedSeconds;
    ASSERT_TRUE(eventually([&] { return zorvik::core().elapsedSeconds >= counted + 1; }, 3000))
        << "the timer counts on while it speaks";
    ASSERT_TRUE(eventually([&] { return played; }, 15000)) << "the clip is played to its end";
    ASSERT_TRUE(eventually([] { return zorvik::pendingSpeech() == 0; }, 15000));
    EXPECT_FALSE(QFile::exists(speech));
}

}  // namespace
