#pragma once
// The record of the time spent: "计时记录.csv" beside "配置.ini", one line
// per run that ended, was reset or was still under way when the program
// closed. UTF-8 with a byte-order mark and CR LF line ends, so that a
// spreadsheet on Windows opens it as it is. Lines are only ever appended;
// a line that does not read (a hand edit, a crash mid-line) is skipped.

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <optional>

namespace zorvik {

// How a run stopped: 完成, 重置, 退出.
enum class RunOutcome { Finished, Reset, Exited };

struct LoggedRun {
    QDateTime start, end;  // local time, whole seconds
    qint64 setSeconds = 0;
    qint64 countedSeconds = 0;
    bool countdown = true;
    RunOutcome outcome = RunOutcome::Finished;
    bool operator==(const LoggedRun&) const = default;
};

// The file's first line, and its words for a run's mode and outcome.
QString runLogHeader();
QString runModeText(bool countdown);
QString runOutcomeText(RunOutcome outcome);
QString runLogPath();
// One line, without its line end.
QByteArray runLogLine(const LoggedRun& run);
std::optional<LoggedRun> parseRunLogLine(QByteArrayView line);

inline constexpr int kRecentRuns = 50;

// What a file holds, summed. A run counts on the day it started.
struct RunLogSummary {
    QMap<QDate, qint64> secondsByDay;
    qint64 allSeconds = 0;
    QList<LoggedRun> recent;  // the last kRecentRuns, oldest first
    qsizetype skipped = 0;    // lines that did not read
    qint64 day(QDate date) const { return secondsByDay.value(date); }
    // Monday to Sunday of the week date falls in.
    qint64 week(QDate date) const;
    void add(const LoggedRun& run);
};
RunLogSummary summariseRunLog(QByteArrayView bytes);

// The file in the settings folder, summed; read again only when it has
// changed on disk since.
const RunLogSummary& runLogSummary();

// Appends the run. A write that fails is told as a failed save and the
// line is kept, to go with the next one; nothing already in the file is
// touched. False when it was not written.
bool appendRun(const LoggedRun& run);
// Writes what failed before, if anything (the disk takes writes again).
bool writePendingRuns();

// A duration as the display shows it: "00:00:00", hours may grow; none
// below zero.
QString durationText(qint64 seconds);

}  // namespace zorvik
