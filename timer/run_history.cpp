#include "timer/run_history.h"

#include <cmath>

#include "timer/timer_state.h"

namespace zorvik {
namespace {

// rt::nowTime's days since 1899-12-30, back to the local time it was read from.
QDateTime fromOleDate(double days) {
    constexpr qint64 kDayMs = 86400000;
    const qint64 ms = std::llround(days * double(kDayMs));
    const qint64 day = ms >= 0 ? ms / kDayMs : (ms - kDayMs + 1) / kDayMs;
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(ms - day * kDayMs));
    return QDateTime(QDate(1899, 12, 30).addDays(day),
                     QTime(time.hour(), time.minute(), time.second()));
}

}  // namespace

void recordRun(RunOutcome outcome) {
    TimerCore& c = core();
    if (c.recorded) return;
    c.recorded = true;
    LoggedRun run;
    run.start = fromOleDate(c.startedAt);
    run.end = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch());
    run.setSeconds = c.totalSeconds;
    run.countedSeconds = c.countedSeconds;
    run.countdown = c.mode == RunMode::Countdown;
    run.outcome = outcome;
    appendRun(run);
}

qint64 secondsCountedToday() {
    const TimerCore& c = core();
    const QDate today = QDate::currentDate();
    qint64 seconds = runLogSummary().day(today);
    if (c.runActive() && !c.recorded && fromOleDate(c.startedAt).date() == today)
        seconds += c.countedSeconds;
    return seconds;
}

}  // namespace zorvik
