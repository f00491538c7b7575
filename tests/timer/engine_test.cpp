// The timer engine driven through the real main window on a manual clock.

#include <QPushButton>

#include "common/program_fixture.h"

using namespace Qt::StringLiterals;

namespace {

class Engine : public zt::ProgramTest {};

TEST_F(Engine, CountdownShowsEverySecondAndEndsRed) {
    setTime(0, 1, 5);
    click(u"开始"_s);
    EXPECT_EQ(display(), u"00:01:05"_s);
    EXPECT_EQ(startCaption(), u"暂停"_s);
    EXPECT_EQ(displayColour(), 0);
    const QStringList shown = runSeconds(65);
    EXPECT_EQ(shown.first(), u"00:01:04"_s);
    EXPECT_EQ(shown[63], u"00:00:01"_s);
    EXPECT_EQ(shown[64], u"00:00:00"_s);
    EXPECT_EQ(displayColour(), 255) << "red at the end";
    EXPECT_EQ(startCaption(), u"开始"_s);
    EXPECT_FALSE(zorvik::core().runActive());
    EXPECT_TRUE(prop(u"记录1"_s, rt::slot::Visible).toBool());
    EXPECT_TRUE(prop(u"记录2"_s, rt::slot::Visible).toBool());
    EXPECT_TRUE(prop(u"记录1"_s, rt::slot::LabelCaption).toString().startsWith(u"始于："_s));
    EXPECT_TRUE(prop(u"记录2"_s, rt::slot::LabelCaption).toString().startsWith(u"终于："_s));
    EXPECT_FALSE(prop(u"倒计时"_s, rt::slot::Disabled).toBool()) << "settings unlocked";
    EXPECT_EQ(clock.pending(), 0) << "no loop left armed";
}

TEST_F(Engine, ZeroTotalEndsAtOnce) {
    setTime(0, 0, 0);
    click(u"开始"_s);
    EXPECT_EQ(display(), u"00:00:00"_s);
    EXPECT_EQ(displayColour(), 255);
    EXPECT_EQ(startCaption(), u"开始"_s);
    EXPECT_TRUE(prop(u"记录2"_s, rt::slot::Visible).toBool());
    EXPECT_EQ(clock.pending(), 0);
}

TEST_F(Engine, CountUpShowsCountedTimeAndEndsWhenItReachesTheTotal) {
    countUpMode();
    setTime(0, 0, 3);
    click(u"开始"_s);
    EXPECT_EQ(display(), u"00:00:00"_s) << "the first second shows zero";
    const QStringList shown = runSeconds(2);
    EXPECT_EQ(shown, (QStringList{u"00:00:01"_s, u"00:00:02"_s}));
    // The third count is shown and its reminder step runs; the pass that
    // follows finds the total reached and ends the run.
    set(u"提醒_编辑框"_s, rt::slot::EditContent, u"0.05"_s);
    zorvik::core().intervalSeconds = 3;
    clock.advanceSeconds(1);
    EXPECT_EQ(zorvik::core().secondsSinceReminder, 0) << "the reminder at 3 s fired";
    EXPECT_EQ(display(), u"00:00:00"_s);
    EXPECT_EQ(displayColour(), 255);
    EXPECT_EQ(startCaption(), u"开始"_s);
}

TEST_F(Engine, LongAndOddTotals) {
    setTime(0, 0, 75);
    click(u"开始"_s);
    EXPECT_EQ(display(), u"00:01:15"_s);
    zorvik::resetTimer();
    setTime(100, 0, 0);
    click(u"开始"_s);
    EXPECT_EQ(display(), u"100:00:00"_s);
    runSeconds(3661);
    EXPECT_EQ(display(), u"98:58:59"_s);
    zorvik::resetTimer();
    // Only a hand-edited file can hold more; the total is clamped.
    set(u"输入_时"_s, rt::slot::EditContent, u"999999"_s);
    click(u"开始"_s);
    EXPECT_EQ(zorvik::core().totalSeconds, std::numeric_limits<qint32>::max());
    EXPECT_EQ(display(), u"596523:14:07"_s);
}

TEST_F(Engine, PauseCountsTheCurrentSecondAndResumeGoesOn) {
    setTime(0, 0, 10);
    click(u"开始"_s);
    runSeconds(3);
    EXPECT_EQ(display(), u"00:00:07"_s);
    clock.advance(std::chrono::milliseconds(400));
    click(u"开始"_s);  // pause
    EXPECT_EQ(startCaption(), u"开始"_s);
    clock.advance(std::chrono::milliseconds(600));  // the second is still counted
    EXPECT_EQ(zorvik::core().elapsedSeconds, 4);
    clock.advanceSeconds(5);
    EXPECT_EQ(zorvik::core().elapsedSeconds, 4) << "paused";
    EXPECT_TRUE(prop(u"倒计时"_s, rt::slot::Disabled).toBool()) << "still locked while paused";
    click(u"开始"_s);  // resume
    EXPECT_EQ(display(), u"00:00:06"_s);
    runSeconds(6);
    EXPECT_EQ(displayColour(), 255);
}

TEST_F(Engine, PauseAndResumeWithinOneSecondKeepOneLoop) {
    setTime(0, 0, 10);
    click(u"开始"_s);
    clock.advance(std::chrono::milliseconds(300));
    click(u"开始"_s);
    click(u"开始"_s);
    EXPECT_EQ(startCaption(), u"暂停"_s);
    EXPECT_EQ(clock.pending(), 1);
    clock.advance(std::chrono::milliseconds(700));
    EXPECT_EQ(zorvik::core().elapsedSeconds, 1) << "no second counted twice";
    runSeconds(2);
    EXPECT_EQ(zorvik::core().elapsedSeconds, 3);
}

TEST_F(Engine, ResetStopsAtOnceAndAStartRightAfterRunsNormally) {
    setTime(0, 1, 0);
    click(u"开始"_s);
    runSeconds(5);
    clock.advance(std::chrono::milliseconds(500));
    click(u"重置"_s);
    EXPECT_EQ(display(), u"00:00:00"_s);
    EXPECT_EQ(displayColour(), 0);
    EXPECT_EQ(startCaption(), u"开始"_s);
    EXPECT_EQ(zorvik::core().elapsedSeconds, 0);
    EXPECT_EQ(clock.pending(), 0) << "the waiting second is not counted";
    EXPECT_FALSE(prop(u"记录1"_s, rt::slot::Visible).toBool());
    EXPECT_FALSE(prop(u"高级表格1"_s, rt::slot::Disabled).toBool());
    click(u"开始"_s);
    EXPECT_EQ(display(), u"00:01:00"_s) << "the next start begins from the full total";
    runSeconds(5);
    EXPECT_EQ(display(), u"00:00:55"_s);
    EXPECT_EQ(startCaption(), u"暂停"_s) << "no hold after a reset";
}

TEST_F(Engine, EditingInputsDuringARunStoresThemButKeepsTheTotal) {
    setTime(0, 0, 30);
    click(u"开始"_s);
    runSeconds(2);
    set(u"输入_秒"_s, rt::slot::EditContent, u"5"_s);
    EXPECT_EQ(stored(u"计时"_s, u"秒"_s), u"5"_s);
    runSeconds(1);
    EXPECT_EQ(display(), u"00:00:27"_s);
    EXPECT_FALSE(prop(u"输入_秒"_s, rt::slot::Disabled).toBool()) << "time inputs stay usable";
    EXPECT_TRUE(prop(u"选择框_命令行"_s, rt::slot::Disabled).toBool());
}

TEST_F(Engine, AStallDoesNotCatchUpAndNoDriftAccumulates) {
    setTime(1, 0, 0);
    click(u"开始"_s);
    // Passes fall due at start + n seconds however late each one ran.
    for (int i = 0; i < 100; ++i) clock.advance(std::chrono::milliseconds(1000));
    EXPECT_EQ(zorvik::core().elapsedSeconds, 100);
    // A five-second stall counts one second, then the schedule restarts
    // from the moment the machine came back.
    clock.stall(std::chrono::milliseconds(5000));
    EXPECT_EQ(zorvik::core().elapsedSeconds, 101);
    clock.advance(std::chrono::milliseconds(999));
    EXPECT_EQ(zorvik::core().elapsedSeconds, 101);
    clock.advance(std::chrono::milliseconds(1));
    EXPECT_EQ(zorvik::core().elapsedSeconds, 102);
}

TEST_F(Engine, NewRunClearsTheCommandPanelAndHidesRecords) {
    setTime(0, 0, 1);
    click(u"开始"_s);
    runSeconds(1);
    ASSERT_TRUE(prop(u"记录1"_s, rt::slot::Visible).toBool());
    rt::appendEditText(zt::kMain, u"编辑框_CMD输出"_s, u"old output"_s);
    click(u"开始"_s);
    EXPECT_FALSE(prop(u"记录1"_s, rt::slot::Visible).toBool());
    EXPECT_FALSE(prop(u"记录2"_s, rt::slot::Visible).toBool());
    EXPECT_EQ(prop(u"编辑框_CMD输出"_s, rt::slot::EditContent).toString(), QString());
}

}  // namespace
