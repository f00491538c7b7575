// The media player control: real files through the real media backend,
// opened asynchronously, with the open's deadline on a manual clock.

#include <gtest/gtest.h>
#include "test_paths.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "common/wait.h"

#include "media/beep.h"
#include "media/media.h"
#include "media/media_kind.h"
#include "media/media_player.h"
#include "runtime/runtime.h"

using namespace std::chrono_literals;

namespace {

const QString kMp3 = QStringLiteral(ZORVIK_TEST_DATA "/tone_2900ms.mp3");

class MediaPlayerTest : public ::testing::Test {
  protected:
    void SetUp() override { rt::setClock(&clock); }
    void TearDown() override {
        player.close();
        zt::letMediaSettle();
        rt::setClock(nullptr);
    }

    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    // Opens and waits (in real time: the backend decodes for real) for the answer.
    bool open(const QString& file) {
        int answers = 0;
        bool ok = false;
        player.open(file, [&](bool result) {
            ++answers;
            ok = result;
        });
        EXPECT_EQ(answers, 0) << "never inside the call that asked";
        EXPECT_TRUE(zt::waitUntil([&] { return answers > 0; }, 5000));
        zt::pause(1);
        EXPECT_EQ(answers, 1);
        return ok;
    }

    rt::ManualClock clock;
    QTemporaryDir dir;
    rt::MediaPlayerControl player;
};

}  // namespace

TEST_F(MediaPlayerTest, MissingOrUnplayableFilesDoNotOpen) {
    EXPECT_FALSE(open(dir.filePath("missing.mp3")));
    EXPECT_FALSE(open(QString()));
    EXPECT_FALSE(player.hasPlayer()) << "nothing to play, so no player is made";
    EXPECT_FALSE(player.play());
    EXPECT_EQ(player.lengthSeconds(), 0);
}

// Qt 6.4 keeps a player's error after a failed open, so a player that
// failed once would refuse every later file: each open starts clean.
TEST_F(MediaPlayerTest, AFailedOpenNeverSpoilsTheNext) {
    QSignalSpy ended(&player, &rt::MediaPlayerControl::finished);
    const QByteArray html = "<html><body>502 Bad Gateway</body></html>";
    for (const QByteArray& junk : {QByteArray(4000, '\x5a'), html, QByteArray()}) {
        EXPECT_FALSE(open(write("read.mp3", junk))) << junk.left(20).constData();
        EXPECT_FALSE(player.play());
        EXPECT_EQ(player.lengthSeconds(), 0);
        ASSERT_TRUE(open(kMp3)) << "after " << junk.left(20).constData();
        EXPECT_EQ(player.lengthSeconds(), 2);
        ASSERT_TRUE(player.play());
        EXPECT_TRUE(ended.wait(4000));
    }
    EXPECT_EQ(ended.count(), 3);
}

TEST_F(MediaPlayerTest, LengthIsWholeSecondsTruncated) {
    EXPECT_FALSE(player.hasPlayer()) << "made on first use, not with the control";
    ASSERT_TRUE(open(write("short.wav", rt::toneWave(440, 999))));
    EXPECT_EQ(player.lengthSeconds(), 0);
    ASSERT_TRUE(open(write("long.wav", rt::toneWave(440, 2900))));
    EXPECT_EQ(player.lengthSeconds(), 2);
    ASSERT_TRUE(open(kMp3));
    EXPECT_EQ(player.lengthSeconds(), 2);
    // Opening anew closes the earlier medium: a failed open leaves nothing open.
    EXPECT_FALSE(open(dir.filePath("gone.wav")));
    EXPECT_EQ(player.lengthSeconds(), 0);
    EXPECT_FALSE(player.play());
}

TEST_F(MediaPlayerTest, PlaysToTheEndFromAPosition) {
    QSignalSpy ended(&player, &rt::MediaPlayerControl::finished);
    ASSERT_TRUE(open(write("blip.wav", rt::toneWave(500, 300))));
    ASSERT_TRUE(player.play());
    EXPECT_TRUE(ended.wait(3000));
    // Played from 2.6 s of 2.9 s, the clip ends well before its full length.
    ASSERT_TRUE(open(write("long.wav", rt::toneWave(440, 2900))));
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(player.play(2600));
    EXPECT_TRUE(ended.wait(3000));
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_EQ(ended.count(), 2);
}

// An open that a later open, a close or its deadline cuts short answers
// false, once, and later; nothing answers once the control is gone.
TEST_F(MediaPlayerTest, OpensCutShortAnswerFalse) {
    const QString wav = write("tone.wav", rt::toneWave(440, 1500));
    QStringList answers;
    auto note = [&](const QString& what) {
        return [&, what](bool ok) { answers << what + (ok ? "+" : "-"); };
    };
    player.open(wav, note("replaced"));
    player.open(wav, note("kept"));
    EXPECT_TRUE(answers.isEmpty());
    ASSERT_TRUE(zt::waitUntil([&] { return answers.size() == 2; }, 5000));
    EXPECT_EQ(answers, (QStringList{"replaced-", "kept+"}));

    answers.clear();
    player.open(wav, note("closed"));
    player.close();
    player.open(wav, note("late"));
    clock.advance(2s);  // the backend has had no chance to answer yet
    ASSERT_TRUE(zt::waitUntil([&] { return answers.size() == 2; }, 5000));
    EXPECT_EQ(answers, (QStringList{"closed-", "late-"}));
    EXPECT_FALSE(player.hasPlayer()) << "a failed open keeps no player";

    bool answered = false;
    {
        rt::MediaPlayerControl gone;
        gone.open(wav, [&](bool) { answered = true; });
    }
    zt::pause(300);
    EXPECT_FALSE(answered);
    EXPECT_EQ(clock.pending(), 0) << "no deadline outlives its control";
}

TEST_F(MediaPlayerTest, NamedControlsResolveOnlyToLoadedMediaPlayers) {
    const QString file = write("tone.wav", rt::toneWave(440, 1500));
    QObject context;
    std::optional<bool> result;
    auto answer = [&](bool ok) { result = ok; };
    rt::mediaOpen(QStringLiteral("未载入窗口"), QStringLiteral("媒体播放1"), file, &context,
                  answer);
    ASSERT_TRUE(zt::waitUntil([&] { return result.has_value(); }, 1000));
    EXPECT_FALSE(*result);
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
    rt::registerMediaPlayerKind();
    rt::registerWindow(desc);
    ASSERT_TRUE(rt::loadWindow(desc.name));
    result.reset();
    rt::mediaOpen(desc.name, QStringLiteral("媒体播放1"), file, &context, answer);
    ASSERT_TRUE(zt::waitUntil([&] { return result.has_value(); }, 5000));
    EXPECT_TRUE(*result);
    EXPECT_EQ(rt::mediaLength(desc.name, QStringLiteral("媒体播放1")), 1);
    EXPECT_TRUE(rt::mediaPlay(desc.name, QStringLiteral("媒体播放1"), 0));
    rt::mediaCloseIfOpen(desc.name, QStringLiteral("媒体播放1"), dir.filePath("other.wav"));
    EXPECT_EQ(rt::mediaLength(desc.name, QStringLiteral("媒体播放1")), 1) << "not that file";
    rt::mediaCloseIfOpen(desc.name, QStringLiteral("媒体播放1"), file);
    EXPECT_EQ(rt::mediaLength(desc.name, QStringLiteral("媒体播放1")), 0);

    result.reset();
    rt::mediaOpen(desc.name, QStringLiteral("按钮1"), file, &context, answer);
    ASSERT_TRUE(zt::waitUntil([&] { return result.has_value(); }, 1000));
    EXPECT_FALSE(*result) << "a control of another kind is not a player";

    // The window goes while its player opens: nothing answers, nothing is read
    // from the player afterwards.
    result.reset();
    rt::mediaOpen(desc.name, QStringLiteral("媒体播放1"), file, &context, answer);
    rt::destroyWindow(desc.name);
    ASSERT_TRUE(zt::waitUntil([&] { return !rt::isLoaded(desc.name); }, 1000));
    zt::pause(300);
    EXPECT_FALSE(result.has_value());
    EXPECT_EQ(clock.pending(), 0);
}
