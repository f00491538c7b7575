// When reminders fall due, watched through the whole program on a manual
// clock: every firing of type "消息框提醒" opens one independent reminder
// box, so the boxes tell which counted second each reminder came in.

#include <QElapsedTimer>
#include <QMessageBox>

#include "common/program_fixture.h"
#include "grid/grid_commands.h"
#include "shell/table_command.h"
#include "text/commands.h"
#include "timer/scheduling.h"

using namespace Qt::StringLiterals;

namespace {

const QString kGrid = u"高级表格1"_s;
const QString kOutput = u"编辑框_CMD输出"_s;

using zt::reminderBoxes;

void closeReminderBoxes() {
    for (QMessageBox* box : reminderBoxes()) box->close();
    QApplication::processEvents();
}

bool eventually(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs) QTest::qWait(10);
    return done();
}

struct Firing {
    int second;
    QString text;
    bool operator==(const Firing&) const = default;
};

void PrintTo(const Firing& f, std::ostream* os) {
    *os << f.second << ":" << f.text.toStdString();
}

class Scheduling : public zt::ProgramTest {
  protected:
    void SetUp() override {
        zt::ProgramTest::SetUp();
        chooseKind(zorvik::ReminderKind::Box);
    }
    void TearDown() override {
        closeReminderBoxes();
        zt::ProgramTest::TearDown();
    }

    void useCustomRows(const QList<QStringList>& rows) {
        set(u"启用自定义提醒"_s, rt::slot::Checked, 1);
        while (prop(kGrid, rt::slot::GridRows).toInt() > 1) rt::gridDeleteRow(zt::kMain, kGrid, 1);
        for (const QStringList& cells : rows) {
            ASSERT_TRUE(rt::gridInsertRow(zt::kMain, kGrid, cells.value(0)));
            const int row = prop(kGrid, rt::slot::GridRows).toInt() - 1;
            for (int column = 1; column < 3; ++column)
                rt::gridSetCell(zt::kMain, kGrid, row, column, rt::kGridCellText,
                                cells.value(column));
        }
    }
    void useInterval(const QString& minutes) {
        set(u"启用自定义提醒"_s, rt::slot::Checked, 0);
        set(u"提醒_编辑框"_s, rt::slot::EditContent, minutes);
    }
    void useMode(bool countUp) { set(countUp ? u"正计时"_s : u"倒计时"_s, rt::slot::Checked, 1); }

    // Starts a fresh run of the given length and counts it second by
    // second to its end, noting each reminder box that opens and the
    // second the run ended in.
    QList<Firing> run(int h, int m, int s) {
        closeReminderBoxes();
        setTime(h, m, s);
        click(u"开始"_s);
        QList<Firing> seen;
        QSet<QMessageBox*> known;  // boxes stay open for the whole run
        endedAt = -1;
        const int limit = h * 3600 + m * 60 + s + 2;
        for (int second = 1; second <= limit && endedAt < 0; ++second) {
            clock.advanceSeconds(1);
            // Deliveries only: repainting the display hours of runs on end
            // would cost seconds of test time.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
            for (QMessageBox* box : reminderBoxes())
                if (!known.contains(box)) {
                    known.insert(box);
                    seen << Firing{second, box->text()};
                }
            if (!zorvik::core().runActive()) endedAt = second;
        }
        return seen;
    }

    static QList<int> seconds(const QList<Firing>& firings) {
        QList<int> out;
        for (const Firing& f : firings) out << f.second;
        return out;
    }

    int endedAt = -1;
};

const QString kInterval = u"请注意，间隔提醒时间到了！"_s;

TEST_F(Scheduling, IntervalRemindersComeEveryIntervalOfCountedTime) {
    for (const bool countUp : {false, true}) {
        SCOPED_TRACE(countUp ? "count-up" : "countdown");
        useMode(countUp);
        useInterval(u"1"_s);
        EXPECT_EQ(run(0, 3, 0),
                  (QList<Firing>{{60, kInterval}, {120, kInterval}, {180, kInterval}}));
        EXPECT_EQ(endedAt, 180) << "the last reminder comes in the pass that ends the run";

        useInterval(u"2"_s);
        EXPECT_EQ(seconds(run(0, 5, 0)), (QList<int>{120, 240})) << "the odd minute has none";
    }
}

TEST_F(Scheduling, IntervalsThatAreZeroEmptyOrNotWholeSecondsNeverFire) {
    for (const QString& minutes : {u"0"_s, QString(), u"0.51"_s}) {
        SCOPED_TRACE(minutes.toStdString());
        useInterval(minutes);
        EXPECT_TRUE(run(0, 2, 0).isEmpty());
        EXPECT_EQ(endedAt, 120);
    }
}

TEST_F(Scheduling, CustomRowsAddUpAndRowsLeftAtTheEndNeverFire) {
    for (const bool countUp : {false, true}) {
        SCOPED_TRACE(countUp ? "count-up" : "countdown");
        useMode(countUp);
        useCustomRows(
            {{u"30"_s, u"一"_s}, {u"10"_s, u"二"_s}, {u"20"_s, u"三"_s}, {u"120"_s, u"四"_s}});
        EXPECT_EQ(
            run(3, 0, 0),
            (QList<Firing>{{1800, u"一"_s}, {2400, u"二"_s}, {3600, u"三"_s}, {10800, u"四"_s}}));
        EXPECT_EQ(endedAt, 10800);

        useCustomRows({{u"30"_s, u"一"_s}, {u"10"_s, u"二"_s}, {u"120"_s, u"三"_s}});
        EXPECT_EQ(seconds(run(2, 0, 0)), (QList<int>{1800, 2400}));
        EXPECT_EQ(zorvik::core().currentRow, 0) << "the end of the run clears the sequence";
    }
}

TEST_F(Scheduling, RowsWithoutAUsableTimeAreSkippedOrHoldTheSequence) {
    // An empty interval between two rows is passed over and does not
    // shift the schedule.
    useCustomRows({{u"1"_s, u"a"_s}, {QString(), u"b"_s}, {u"1"_s, u"c"_s}});
    EXPECT_EQ(run(0, 4, 0), (QList<Firing>{{60, u"a"_s}, {120, u"c"_s}}));

    // A last row of 0 minutes never fires.
    useCustomRows({{u"1"_s, u"a"_s}, {u"0"_s, u"b"_s}});
    EXPECT_EQ(seconds(run(0, 3, 0)), QList<int>{60});

    // A row whose seconds have passed when it is first compared (1.2 s, two
    // passes after the row before it) fires in that pass, and the next row
    // counts from there.
    for (const bool countUp : {false, true}) {
        SCOPED_TRACE(countUp ? "count-up" : "countdown");
        useMode(countUp);
        useCustomRows({{u"0.1"_s, u"a"_s}, {u"0.02"_s, u"b"_s}, {u"0.1"_s, u"c"_s}});
        EXPECT_EQ(run(0, 1, 0), (QList<Firing>{{6, u"a"_s}, {8, u"b"_s}, {14, u"c"_s}}));
    }

    // A table of only its header gives no reminders of either kind, even
    // with an interval set.
    set(u"提醒_编辑框"_s, rt::slot::EditContent, u"1"_s);
    useCustomRows({});
    EXPECT_TRUE(run(0, 3, 0).isEmpty());
}

TEST_F(Scheduling, RowMinutesMeanTheSecondsTheyRead) {
    // 0.35 and 0.7 minutes are 21 and 42 seconds, though neither is exact
    // in the number the row's minutes are held in.
    useCustomRows({{u"0.35"_s, u"a"_s}, {u"0.7"_s, u"b"_s}, {u"1.15"_s, u"c"_s}});
    EXPECT_EQ(seconds(run(0, 3, 0)), (QList<int>{21, 63, 132}));

    // Only a hair's difference is the float's: 1.666666 minutes are 99.99996
    // seconds and fire at 99; 1.6666666 cannot be told from 5/3 in a float
    // and is 100 seconds, as a row and as an interval alike.
    useCustomRows({{u"1.666666"_s, u"a"_s}, {u"1.6666666"_s, u"b"_s}});
    EXPECT_EQ(seconds(run(0, 4, 0)), (QList<int>{99, 199}));
    useInterval(u"1.6666666"_s);
    EXPECT_EQ(seconds(run(0, 3, 30)), (QList<int>{100, 200}));
    EXPECT_EQ(zorvik::rowSeconds(rt::toFloat(u"999.9991"_s)), 59999);
    EXPECT_EQ(zorvik::rowSeconds(rt::toFloat(u"1000"_s)), 60000);
}

TEST_F(Scheduling, TableCommandsReachTheInterpreterOnlyWhenEnabled) {
    chooseKind(zorvik::ReminderKind::Nothing);
    useCustomRows({{u"1"_s, QString(), u"echo first_$((20+1))"_s},
                   {u"1"_s, QString(), u"echo second_$((20+2))"_s}});
    auto output = [this] { return prop(kOutput, rt::slot::EditContent).toString(); };

    set(u"选择框_命令行"_s, rt::slot::Checked, 0);
    EXPECT_TRUE(run(0, 3, 0).isEmpty()) << "type 5 shows nothing";
    // The interpreter answers in order: once a later line has come back,
    // anything the rows had sent would have come back before it.
    zorvik::commandShell().sendLine(u"echo sentinel_$((3+4))"_s);
    ASSERT_TRUE(eventually([&] { return output().contains(u"sentinel_7"_s); }));
    EXPECT_FALSE(output().contains(u"任务"_s));
    EXPECT_FALSE(output().contains(u"first_21"_s));

    set(u"选择框_命令行"_s, rt::slot::Checked, 1);
    run(0, 3, 0);
    ASSERT_TRUE(eventually([&] { return output().contains(u"second_22"_s); }))
        << output().toStdString();
    // The box shows line ends its own way; the header is three empty
    // lines, four spaces, the task and its row number.
    QString text = output();
    text.replace(u"\r\n"_s, u"\n"_s);
    EXPECT_FALSE(text.contains(u"sentinel_7"_s)) << "a fresh start clears the panel";
    const qsizetype head1 = text.indexOf(u"\n\n\n    任务1：\n"_s);
    const qsizetype head2 = text.indexOf(u"\n\n\n    任务2：\n"_s);
    ASSERT_GE(head1, 0) << text.toStdString();
    EXPECT_LT(head1, head2);
    EXPECT_LT(head1, text.indexOf(u"first_21"_s));
    EXPECT_LT(text.indexOf(u"first_21"_s), text.indexOf(u"second_22"_s));
}

}  // namespace
