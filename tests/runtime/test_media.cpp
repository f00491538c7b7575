#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <thread>

#include "runtime/beep.h"
#include "runtime/media.h"
#include "runtime/media_player.h"
#include "runtime/runtime.h"

namespace {

class MediaPlayerTest : public ::testing::Test {
  protected:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QTemporaryDir dir;
    rt::MediaPlayerControl player;
};

const QString kMp3 = QStringLiteral(ZORVIK_TEST_DATA "/tone_2900ms.mp3");

}  // namespace

TEST_F(MediaPlayerTest, MissingOrUnplayableFilesDoNotOpen) {
    EXPECT_FALSE(rt::mediaOpen(player, dir.filePath("missing.mp3")));
    EXPECT_FALSE(rt::mediaOpen(player, QString()));
    EXPECT_FALSE(player.hasPlayer()) << "nothing to play, so no player is made";
    EXPECT_FALSE(rt::mediaPlay(player));
    EXPECT_EQ(rt::mediaLength(player), 0);

    const QString noise = write("noise.mp3", QByteArray(4000, '\x5a'));
    EXPECT_FALSE(rt::mediaOpen(player, noise));
    EXPECT_FALSE(rt::mediaPlay(player, 0));
    EXPECT_EQ(rt::mediaLength(player), 0);
}

TEST_F(MediaPlayerTest, LengthIsWholeSecondsTruncated) {
    EXPECT_FALSE(player.hasPlayer()) << "made on first use, not with the control";
    ASSERT_TRUE(rt::mediaOpen(player, write("short.wav", rt::toneWave(440, 999))));
    EXPECT_EQ(rt::mediaLength(player), 0);

    ASSERT_TRUE(rt::mediaOpen(player, write("long.wav", rt::toneWave(440, 2900))));
    EXPECT_EQ(rt::mediaLength(player), 2);

    ASSERT_TRUE(rt::mediaOpen(player, kMp3));
    EXPECT_EQ(rt::mediaLength(player), 2);

    // Opening anew closes the earlier medium: a failed open leaves nothing open.
    EXPECT_FALSE(rt::mediaOpen(player, dir.filePath("gone.wav")));
    EXPECT_EQ(rt::mediaLength(player), 0);
    EXPECT_FALSE(rt::mediaPlay(player));
}

TEST_F(MediaPlayerTest, PlaysToTheEndAndFromAPosition) {
    QSignalSpy ended(&player, &rt::MediaPlayerControl::finished);
    ASSERT_TRUE(rt::mediaOpen(player, write("blip.wav", rt::toneWave(500, 400))));
    ASSERT_TRUE(rt::mediaPlay(player));
    EXPECT_TRUE(ended.wait(5000));
    EXPECT_EQ(ended.count(), 1);

    // Played from 2.5 s of 2.9 s, the clip ends well before its full length.
    ASSERT_TRUE(rt::mediaOpen(player, kMp3));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(rt::mediaPlay(player, 2500));
    EXPECT_TRUE(ended.wait(5000));
    EXPECT_LT(clock.elapsed(), 2000);

    player.stop();
}

TEST_F(MediaPlayerTest, WorkerThreadCallsAreCarriedOutOnTheWindowThread) {
    const QString file = write("speech.wav", rt::toneWave(300, 2200));
    bool opened = false, played = false;
    int length = -1;
    // The window thread keeps dispatching in a local loop, as it does while
    // the timer waits between passes.
    QEventLoop loop;
    std::thread worker([&] {
        opened = rt::mediaOpen(player, file);
        played = rt::mediaPlay(player, -1);
        length = rt::mediaLength(player);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    worker.join();
    EXPECT_TRUE(opened);
    EXPECT_TRUE(played);
    EXPECT_EQ(length, 2);
    player.stop();
}

TEST_F(MediaPlayerTest, NamedControlsResolveOnlyToLoadedMediaPlayers) {
    const QString file = write("tone.wav", rt::toneWave(440, 1500));
    EXPECT_FALSE(rt::mediaOpen(QStringLiteral("未载入窗口"), QStringLiteral("媒体播放1"), file));
    EXPECT_FALSE(rt::mediaPlay(QStringLiteral("未载入窗口"), QStringLiteral("媒体播放1")));
    EXPECT_EQ(rt::mediaLength(QStringLiteral("未载入窗口"), QStringLiteral("媒体播放1")), 0);

    rt::WindowDesc desc;
    desc.name = QStringLiteral("媒体测试窗口");
    for (auto [name, kind] : {std::pair{QStringLiteral("媒体播放1"), rt::Kind::MediaPlayer},
                              std::pair{QStringLiteral("按钮1"), rt::Kind::Button}}) {
        rt::ControlDesc control;
        control.name = name;
        control.kind = kind;
        desc.controls.push_back(control);
    }
    rt::registerWindow(desc);
    ASSERT_TRUE(rt::loadWindow(desc.name));

    EXPECT_TRUE(rt::mediaOpen(desc.name, QStringLiteral("媒体播放1"), file));
    EXPECT_EQ(rt::mediaLength(desc.name, QStringLiteral("媒体播放1")), 1);
    EXPECT_TRUE(rt::mediaPlay(desc.name, QStringLiteral("媒体播放1"), 0));
    EXPECT_FALSE(rt::mediaOpen(desc.name, QStringLiteral("按钮1"), file))
        << "a control of another kind is not a player";
    rt::unloadAll();
}
