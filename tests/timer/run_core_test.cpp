// The engine and scheduling with no window at all: a view of the test's
// own stands in for the main window, and a manual clock drives the passes.

#include <gtest/gtest.h>

#include "timer/clock.h"
#include "timer/engine.h"
#include "timer/run_view.h"
#include "timer/timer_state.h"

using namespace Qt::StringLiterals;

namespace {

using zorvik::RunChoice;
using zorvik::RunEntry;
using zorvik::RunState;

class RecordingView : public zorvik::RunView {
  public:
    bool countdown = true, customReminders = false;
    QString hours = u"0"_s, minutes = u"0"_s, seconds = u"3"_s, interval = u"0"_s;
    zorvik::ReminderRows table;

    QStringList times;
    QList<RunState> states;
    bool recordsShown = false;

    bool chosen(RunChoice c) const override {
        switch (c) {
            case RunChoice::Countdown:
                return countdown;
            case RunChoice::CountUp:
                return !countdown;
            case RunChoice::CustomReminders:
                return customReminders;
            default:
                return false;
        }
    }
    QString entry(RunEntry e) const override {
        switch (e) {
            case RunEntry::Hours:
                return hours;
            case RunEntry::Minutes:
                return minutes;
            case RunEntry::Seconds:
                return seconds;
            case RunEntry::IntervalMinutes:
                return interval;
        }
        return {};
    }
    int reminderKindIndex() const override { return 5; }  // no reminder of its own
    const zorvik::ReminderRows& rows() const override { return table; }
    void refreshRows() override {}
    void showTime(const QString& text) override { times << text; }
    void showRunState(RunState s) override { states << s; }
    void showRecord(zorvik::RunRecord, const QString&) override {}
    void showRecords(bool shown) override { recordsShown = shown; }
    void clearCommandOutput() override {}
};

class RunCore : public ::testing::Test {
  protected:
    void SetUp() override {
        zorvik::core() = zorvik::TimerCore{};
        zorvik::setClock(&clock);
        zorvik::setRunView(&view);
    }
    void TearDown() override {
        zorvik::stopEngine();
        zorvik::setRunView(nullptr);
        zorvik::setClock(nullptr);
    }
    // The counted seconds after which a reminder had just fallen due.
    QList<int> remindedAt(int passes) {
        QList<int> at;
        for (int second = 1; second <= passes; ++second) {
            clock.advanceSeconds(1);
            if (zorvik::core().runActive() && zorvik::core().secondsSinceReminder == 0)
                at << second;
        }
        return at;
    }

    RecordingView view;
    zorvik::ManualClock clock;
};

TEST_F(RunCore, CountdownShowsEachSecondAndEndsWithoutAWindow) {
    zorvik::startOrPause();
    EXPECT_EQ(zorvik::core().state, RunState::Running);
    clock.advanceSeconds(3);
    EXPECT_EQ(view.times,
              (QStringList{u"00:00:03"_s, u"00:00:02"_s, u"00:00:01"_s, u"00:00:00"_s}));
    EXPECT_EQ(view.states, (QList<RunState>{RunState::Running, RunState::Ended, RunState::Ended}));
    EXPECT_TRUE(view.recordsShown);
    EXPECT_FALSE(zorvik::core().runActive());
}

TEST_F(RunCore, PauseHoldsTheCountAndResumeGoesOn) {
    view.seconds = u"10"_s;
    zorvik::startOrPause();
    clock.advanceSeconds(2);
    zorvik::startOrPause();  // pause: the second waited for is still counted
    clock.advanceSeconds(5);
    EXPECT_EQ(zorvik::core().state, RunState::Paused);
    EXPECT_EQ(zorvik::core().elapsedSeconds, 3);
    zorvik::startOrPause();
    clock.advanceSeconds(2);
    EXPECT_EQ(zorvik::core().elapsedSeconds, 5);
    EXPECT_EQ(view.times.last(), u"00:00:05"_s);
}

TEST_F(RunCore, IntervalAndTableRowsFallDueOnTheirSeconds) {
    view.minutes = u"1"_s;
    view.interval = u"0.05"_s;  // 3 s
    zorvik::startOrPause();
    EXPECT_EQ(remindedAt(7), (QList<int>{3, 6}));
    zorvik::resetTimer();

    view.customReminders = true;
    view.table = {{u"0.0333334"_s, u"a"_s, {}}, {u"0.05"_s, u"b"_s, {}}};  // 2 s, then 3 s
    zorvik::startOrPause();
    // The rows add up: the second falls due 2 + 3 s into the run.
    EXPECT_EQ(remindedAt(8), (QList<int>{2, 5}));
    EXPECT_EQ(zorvik::core().currentRow, 2);
}

}  // namespace
