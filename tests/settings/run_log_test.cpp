// The record of the time spent, by its file's bytes: what reads, what is
// skipped, and appends that never lose what the file already holds.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include "common/files.h"
#include "runtime/runtime.h"
#include "settings/run_log.h"

using namespace Qt::StringLiterals;
using zorvik::LoggedRun;
using zorvik::RunOutcome;

namespace {

QByteArray fileStart() {
    return "\xEF\xBB\xBF" + zorvik::runLogHeader().toUtf8() + "\r\n";
}

TEST(RunLog, LinesThatDoNotReadAreSkippedAndTheRestSummed) {
    struct Case {
        QString line;
        bool reads;
    };
    // 2026-12-10 is a Thursday; its week began on Monday the 7th.
    const std::vector<Case> cases = {
        {u"2026-12-07 08:00:00,2026-12-07 08:25:00,1500,1500,倒计时,完成"_s, true},
        {u"2026-12-09 09:00:00,2026-12-09 09:10:00,1500,600,正计时,重置"_s, true},
        {u"2026-12-06 10:00:00,2026-12-06 11:00:00,-5,3600,倒计时,完成"_s, true},
        {u"2026-12-10 23:59:59,2026-12-11 00:00:02,3,3,倒计时,退出"_s, true},
        {u"2026-12-10 08:00:00,2026-12-10 08:00:05,5,5,倒计时,完成,"_s, false},
        {u"2026-12-10 08:00:00,2026-12-10 08:00:05,5,5,倒计时"_s, false},
        {u"2026-02-30 08:00:00,2026-12-10 08:00:05,5,5,倒计时,完成"_s, false},
        {u"2026/12/10 08:00:00,2026/12/10 08:00:05,5,5,倒计时,完成"_s, false},
        {u"2026-12-10 08:00:00,2026-12-10 08:00:05,5,-5,倒计时,完成"_s, false},
        {u"2026-12-10 08:00:00,2026-12-10 08:00:05,5,5秒,倒计时,完成"_s, false},
        {u"2026-12-10 08:00:00,2026-12-10 08:00:05,5,5,倒数,完成"_s, false},
        {u"2026-12-10 08:00:0"_s, false},
    };
    QByteArray file = fileStart();
    qsizetype damaged = 0;
    for (const Case& c : cases) {
        const QByteArray line = c.line.toUtf8();
        const auto run = zorvik::parseRunLogLine(line);
        EXPECT_EQ(run.has_value(), c.reads) << line.constData();
        if (run) {
            EXPECT_EQ(zorvik::runLogLine(*run), line);
        }
        damaged += !c.reads;
        file += line + "\r\n";
    }
    file += "\xFF\xFE\r\n";

    const zorvik::RunLogSummary s = zorvik::summariseRunLog(file);
    EXPECT_EQ(s.skipped, damaged + 1);
    const QDate thursday(2026, 12, 10);
    EXPECT_EQ(s.day(thursday), 3);
    EXPECT_EQ(s.week(thursday), 1500 + 600 + 3);
    EXPECT_EQ(s.allSeconds, 1500 + 600 + 3600 + 3);
    ASSERT_EQ(s.recent.size(), 4);
    const LoggedRun last{QDateTime({2026, 12, 10}, {23, 59, 59}),
                         QDateTime({2026, 12, 11}, {0, 0, 2}),
                         3,
                         3,
                         true,
                         RunOutcome::Exited};
    EXPECT_EQ(s.recent.last(), last);
}

// A run whose write failed is told and goes with the next; an unfinished
// last line keeps its own line.
TEST(RunLog, AppendsNeverRewriteAndAFailedRunGoesWithTheNext) {
    QTemporaryDir dir;
    rt::setProgramDirectory(dir.path());
    const QString path = zorvik::runLogPath();
    ASSERT_EQ(path, dir.filePath(u"计时记录.csv"_s));
    const LoggedRun first{QDateTime({2026, 12, 10}, {8, 0, 0}),
                          QDateTime({2026, 12, 10}, {8, 0, 3}),
                          3,
                          3,
                          true,
                          RunOutcome::Finished};
    LoggedRun second = first;
    second.countdown = false;
    second.outcome = RunOutcome::Reset;

    ASSERT_TRUE(QDir().mkdir(path));  // nothing can be written there
    EXPECT_FALSE(zorvik::appendRun(first));
    QMessageBox* told = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == u"zorvikSaveFailedBox"_s && w->isVisible())
                told = qobject_cast<QMessageBox*>(w);
        return told != nullptr;
    }));
    EXPECT_EQ(told->windowTitle(), u"保存失败"_s);
    told->close();

    ASSERT_TRUE(QDir().rmdir(path));
    const QByteArray before = fileStart() + "2026-12-09 08:00:00,2026-12-09";
    zt::writeAll(path, before);
    EXPECT_TRUE(zorvik::appendRun(second));
    EXPECT_EQ(zt::readAll(path), before + "\r\n" + zorvik::runLogLine(first) + "\r\n" +
                                     zorvik::runLogLine(second) + "\r\n");
    EXPECT_EQ(zorvik::runLogSummary().allSeconds, 6);
    EXPECT_EQ(zorvik::runLogSummary().skipped, 1);
}

}  // namespace
