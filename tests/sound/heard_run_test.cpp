// Runs of the whole program on the steady clock, heard on a sound server of
// the test's own: the beeps of a run and its end sound, as a user hears them.

#include <QApplication>

#include "media/end_sound.h"
#include "media/sound.h"
#include "sound/heard_program.h"

using namespace Qt::StringLiterals;

namespace {

class HeardRun : public zt::HeardProgramTest {
  protected:
    void SetUp() override {
        zt::HeardProgramTest::SetUp();
        if (HasFatalFailure()) return;
        zorvik::setClock(nullptr);  // real seconds
    }

    // A countdown of seconds with a beep every 3 s and the end sound.
    void startRun(int seconds) {
        setTime(0, 0, seconds);
        set(u"提醒_编辑框"_s, rt::slot::EditContent, u"0.05"_s);
        chooseKind(zorvik::ReminderKind::Beep);
        set(u"结束音"_s, rt::slot::MenuChecked, true);
        started = std::chrono::steady_clock::now();
        click(u"开始"_s);
    }
    // Seconds into the recording, s seconds after the run started.
    double runTime(const zt::Recording& r, double s) const { return r.secondsAt(started) + s; }
    void waitUntilRunTime(double s) {
        const std::chrono::duration<double, std::milli> left =
            started + std::chrono::duration<double>(s) - std::chrono::steady_clock::now();
        QTest::qWait(int(left.count()));
    }
    // The bursts heard from run time `from` on.
    std::vector<zt::Burst> heardFrom(const zt::Recording& r, double from, double bridge) {
        std::vector<zt::Burst> out;
        for (const zt::Burst& b : zt::bursts(r, 0.02, bridge))
            if (b.start >= runTime(r, from)) out.push_back(b);
        return out;
    }
    void expectBeep(const zt::Recording& r, const zt::Burst& b, double due) {
        EXPECT_NEAR(b.start, runTime(r, due), 0.15) << "beep due at " << due << " s";
        EXPECT_NEAR(zt::pitchHz(r, b.start + 0.05, b.end - 0.05), 900, 10);
        EXPECT_NEAR(b.length(), 0.98, 0.03);
    }
    // The end clip heard from run time `due` on: its two bursts where the
    // clip has them, its loudness following the clip's.
    void expectEndSound(const zt::Recording& r, const std::vector<zt::Burst>& heard, double due) {
        const zt::Samples clip = zt::waveSamples(rt::endSoundClip());
        const auto parts = zt::bursts(clip, 0.02, 0.15);
        ASSERT_EQ(heard.size(), parts.size());
        const double offset = heard[0].start - parts[0].start;
        EXPECT_NEAR(offset, runTime(r, due), 0.2) << "the clip starts when the run ends";
        for (size_t i = 0; i < parts.size(); ++i) {
            EXPECT_NEAR(heard[i].start - offset, parts[i].start, 0.05);
            EXPECT_NEAR(heard[i].end - offset, parts[i].end, 0.05);
        }
        EXPECT_GT(zt::envelopeMatch(r, offset, clip), 0.9);
    }

    zt::SteadyTime started;
};

TEST_F(HeardRun, EndSoundFollowsTheMenuMark) {
    set(u"结束音"_s, rt::slot::MenuChecked, false);
    setTime(0, 0, 0);
    started = std::chrono::steady_clock::now();
    click(u"开始"_s);
    EXPECT_EQ(displayColour(), 255) << "a run of nothing ends at once";
    QTest::qWait(500);
    EXPECT_TRUE(zt::bursts(server.recording(), 0.02).empty()) << "silent when unmarked";

    set(u"结束音"_s, rt::slot::MenuChecked, true);
    started = std::chrono::steady_clock::now();
    click(u"开始"_s);
    EXPECT_TRUE(rt::soundPlaying());
    waitUntilRunTime(3.3);
    EXPECT_FALSE(rt::soundPlaying());
    const zt::Recording r = server.recording();
    expectEndSound(r, heardFrom(r, 0, 0.15), 0);
}

TEST_F(HeardRun, EveryBeepAndTheEndSoundAreHeardWhole) {
    startRun(7);
    waitUntilRunTime(7 + 3.3);  // the end and the clip's 2.9 s
    ASSERT_EQ(displayColour(), 255) << "the run has ended";

    const zt::Recording r = server.recording();
    const auto beeps = heardFrom(r, 0, 0.03);
    ASSERT_GE(beeps.size(), 2u);
    expectBeep(r, beeps[0], 3);
    expectBeep(r, beeps[1], 6);
    expectEndSound(r, heardFrom(r, 6.99, 0.15), 7);
}

// The sound server goes away while the first beep sounds and is back only
// after the second one was due: the timer keeps its time and shows
// nothing, the second beep is silent, and the third and the end sound are
// heard on the server that came back.
TEST_F(HeardRun, ServerLostMidBeepLeavesTheTimerRunningAndItsReturnIsUsed) {
    const int windows = int(QApplication::topLevelWidgets().size());
    startRun(10);
    waitUntilRunTime(3.4);  // the first beep is sounding
    server.kill();
    waitUntilRunTime(6.5);
    EXPECT_EQ(display(), u"00:00:04"_s) << "six seconds counted";
    EXPECT_EQ(startCaption(), u"暂停"_s);
    waitUntilRunTime(7);
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(server.startRecording());
    waitUntilRunTime(10 + 3.3);

    EXPECT_EQ(displayColour(), 255) << "the run ended";
    EXPECT_EQ(int(QApplication::topLevelWidgets().size()), windows) << "nothing was shown";
    const zt::Recording r = server.recording();
    const auto beeps = heardFrom(r, 7, 0.03);
    ASSERT_GE(beeps.size(), 1u);
    expectBeep(r, beeps[0], 9);
    expectEndSound(r, heardFrom(r, 9.99, 0.15), 10);
}

}  // namespace
