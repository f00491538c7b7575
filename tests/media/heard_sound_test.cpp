// The beep and the sound service, heard on a sound server of the test's own.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <thread>

#include "common/pulse_server.h"
#include "media/beep.h"
#include "media/end_sound.h"
#include "media/sound.h"

// No sound server at all: every sound is silent, the beep's caller still
// hears back at once, and nothing waits. A server that turns up later is
// used from the next sound on.
TEST(NoSoundServer, SoundsAreSilentAndNothingWaitsUntilAServerTurnsUp) {
    zt::PulseServer server;  // first: it puts the process's server setting back at the end
    qputenv("PULSE_SERVER", "unix:/nonexistent/zorvik/native");
    rt::prepareBeep();
    rt::prepareSound();
    int done = 0;
    for (int i = 0; i < 3; ++i) rt::beep(900, 980, [&] { ++done; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done == 3; }, 1500)) << "three beeps, no waiting";
    EXPECT_TRUE(rt::playSound(rt::endSoundClip()));
    EXPECT_TRUE(QTest::qWaitFor([] { return !rt::soundPlaying(); }, 500));

    ASSERT_TRUE(server.start());
    ASSERT_TRUE(server.startRecording());
    rt::beep(900, 980, [&] { ++done; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done == 4; }, 3000));
    const auto heard = zt::bursts(server.recording(), 0.02);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_NEAR(heard[0].length(), 0.98, 0.03);
}

class HeardSound : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.start()) << "needs pulseaudio and pulseaudio-utils";
        ASSERT_TRUE(server.startRecording());
    }
    // Seconds into the recording now.
    double now() const { return server.recording().secondsAt(std::chrono::steady_clock::now()); }

    zt::PulseServer server;
};

TEST_F(HeardSound, BeepsAre900HzTonesOf980msOneAfterAnother) {
    std::vector<std::pair<int, double>> ended;  // which beep, when
    QThread* doneThread = nullptr;
    const double asked = now();
    rt::beep(900, 980, [&] {
        ended.push_back({1, now()});
        doneThread = QThread::currentThread();
    });
    std::thread worker([&] { rt::beep(900, 980, [&] { ended.push_back({2, now()}); }); });
    worker.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended.size() == 2; }, 6000));
    EXPECT_EQ(doneThread, QCoreApplication::instance()->thread());
    EXPECT_EQ(ended[0].first, 1) << "in the order asked";

    const zt::Recording heard = server.recording();
    // Back to back: a single quiet 5 ms window between them tells them apart.
    const auto bursts = zt::bursts(heard, 0.02, 0.005);
    ASSERT_EQ(bursts.size(), 2u);
    EXPECT_NEAR(bursts[0].start, asked, 0.3);
    for (const zt::Burst& b : bursts) {
        EXPECT_NEAR(zt::pitchHz(heard, b.start + 0.05, b.end - 0.05), 900, 10);
        EXPECT_NEAR(b.length(), 0.98, 0.03);
    }
    EXPECT_GT(bursts[1].start, bursts[0].end) << "the second waits for the first";
    EXPECT_GE(ended[0].second, bursts[0].end - 0.05) << "done once the tone has been heard";
}

TEST_F(HeardSound, EndClipIsHeardWholeAndAgainFromItsStartWhenReplayed) {
    const zt::Samples clip = zt::waveSamples(rt::endSoundClip());
    const auto clipBursts = zt::bursts(clip, 0.02, 0.15);
    ASSERT_EQ(clipBursts.size(), 2u) << "two spoken bursts";

    const double first = now();
    ASSERT_TRUE(rt::playSound(rt::endSoundClip()));
    EXPECT_TRUE(rt::soundPlaying());
    QTest::qWait(600);  // into the first burst
    const double second = now();
    bool replayed = false;  // from a worker, as a reminder's thread would
    std::thread([&] { replayed = rt::playSound(rt::endSoundClip()); }).join();
    ASSERT_TRUE(replayed);
    EXPECT_FALSE(rt::playSound("RIFF....AVI ")) << "garbage is refused";
    ASSERT_TRUE(QTest::qWaitFor([] { return !rt::soundPlaying(); }, 5000));
    QTest::qWait(300);

    const zt::Recording heard = server.recording();
    const auto bursts = zt::bursts(heard, 0.02, 0.15);
    ASSERT_EQ(bursts.size(), 3u) << "a cut first burst, then the whole clip";
    EXPECT_NEAR(bursts[0].start - first, clipBursts[0].start, 0.1);
    EXPECT_NEAR(bursts[0].end, second, 0.1) << "cut where it was played again";
    const double offset = bursts[1].start - clipBursts[0].start;
    EXPECT_NEAR(offset, second, 0.1);
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(bursts[1 + i].start - offset, clipBursts[i].start, 0.05);
        EXPECT_NEAR(bursts[1 + i].end - offset, clipBursts[i].end, 0.05);
    }
    EXPECT_GT(zt::envelopeMatch(heard, offset, clip), 0.9) << "loudness follows the clip";
}

TEST_F(HeardSound, StopEndsTheClipAtOnce) {
    ASSERT_TRUE(rt::playSound(rt::endSoundClip()));
    QTest::qWait(500);
    const double stopped = now();
    rt::stopSound();
    EXPECT_FALSE(rt::soundPlaying());
    QTest::qWait(2500);
    const auto bursts = zt::bursts(server.recording(), 0.02, 0.15);
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_NEAR(bursts[0].end, stopped, 0.1);
}
