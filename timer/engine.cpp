// The timer engine as a small state machine. Each pass runs the steps of
// the countdown or the count-up in their order; the wait between passes is
// a deadline at the loop's start + n seconds on the steady clock, so the
// per-pass work never accumulates as drift.

#include "timer/engine.h"

#include <limits>

#include "media/beep.h"
#include "media/end_sound.h"
#include "media/sound.h"
#include "text/commands.h"
#include "timer/clock.h"
#include "timer/run_history.h"
#include "timer/run_view.h"
#include "timer/scheduling.h"
#include "timer/speech_queue.h"
#include "timer/timer_state.h"

using namespace Qt::StringLiterals;

namespace zorvik {
namespace {

struct Loop {
    bool armed = false;
    qint32 total = 0;
    Clock::TimePoint start;
    qint64 passes = 0;  // waits scheduled since start
    int timerId = 0;
};

Loop loop;

void reminderStep() {
    if (runView().chosen(RunChoice::CustomReminders))
        customStep();
    else
        intervalStep();
}

void showClock() {
    runView().showTime(clockText());
}

// The part of a pass before its wait. False: the run has ended.
bool beforeWait() {
    TimerCore& c = core();
    if (c.mode == RunMode::Countdown) {
        reminderStep();
        if (c.elapsedSeconds < loop.total) {
            const qint32 r = loop.total - c.elapsedSeconds;
            c.clockSeconds = (r % 3600) % 60;
            c.clockMinutes = (r % 3600) / 60;
            c.clockHours = r / 3600;
            showClock();
            return true;
        }
        c.clockSeconds = c.clockMinutes = c.clockHours = c.elapsedSeconds = 0;
        endOfRun();
        return false;
    }
    const double counted = double(c.clockHours) * 3600.0 + c.clockMinutes * 60.0 + c.clockSeconds;
    if (counted - loop.total >= -1e-7) {
        c.clockSeconds = c.clockMinutes = c.clockHours = 0;
        endOfRun();
        return false;
    }
    return true;
}

// The part of a pass after its wait: the second is counted. False: stop.
bool afterWait() {
    TimerCore& c = core();
    c.countedSeconds += 1;
    if (c.mode == RunMode::Countdown) {
        c.elapsedSeconds += 1;
        c.secondsSinceReminder += 1;
    } else {
        c.clockSeconds += 1;
        c.secondsSinceReminder += 1;
        if (c.clockSeconds >= 60) {
            c.clockSeconds = 0;
            c.clockMinutes += 1;
        }
        if (c.clockMinutes >= 60) {
            c.clockMinutes = 0;
            c.clockHours += 1;
        }
        showClock();
        reminderStep();
    }
    return c.state == RunState::Running;
}

void notify(RunEvent e) {
    Q_EMIT runNotifier().runChanged(e);
}

void stopLoop() {
    if (loop.timerId) clock().cancel(loop.timerId);
    loop = Loop{};
    setRunState(core().state == RunState::Running ? RunState::Paused : core().state);
    notify(RunEvent::Stopped);
}

// The next pass falls due at the loop's start + n seconds. After a stall
// (sleep, a frozen machine) the missed seconds are not caught up: the
// schedule starts again from the late pass.
void armNext(Clock::TimePoint passBegan);

void onPassDue() {
    loop.timerId = 0;
    const Clock::TimePoint began = clock().now();
    if (!afterWait() || !beforeWait()) {
        stopLoop();
        return;
    }
    armNext(began);
    notify(RunEvent::Pass);
}

void armNext(Clock::TimePoint passBegan) {
    const Clock::TimePoint due = loop.start + std::chrono::seconds(loop.passes);
    if (passBegan - due > std::chrono::seconds(1)) {
        loop.start = passBegan;
        loop.passes = 0;
    }
    loop.passes += 1;
    loop.timerId = clock().schedule(loop.start + std::chrono::seconds(loop.passes), onPassDue);
}

}  // namespace

TimerCore& core() {
    static TimerCore c;
    return c;
}

RunNotifier& runNotifier() {
    static RunNotifier n;
    return n;
}

QString twoDigits(qint32 part) {
    QString t = QString::number(part);
    if (t.size() == 1) t.prepend(u'0');
    return t;
}

QString clockText() {
    const TimerCore& c = core();
    return twoDigits(c.clockHours) + u':' + twoDigits(c.clockMinutes) + u':' +
           twoDigits(c.clockSeconds);
}

QString startedAtText() {
    return u"始于："_s + rt::dateTimeToText(core().startedAt);
}

QString endedAtText() {
    return u"终于："_s + rt::dateTimeToText(core().endedAt);
}

void stopEngine() {
    if (core().runActive()) recordRun(RunOutcome::Exited);
    if (loop.timerId) clock().cancel(loop.timerId);
    loop = Loop{};
    notify(RunEvent::Stopped);
}

void setRunState(RunState state) {
    core().state = state;
    runView().showRunState(state);
}
void startOrPause() {
    TimerCore& c = core();
    RunView& view = runView();
    if (!c.runActive()) {
        c.startedAt = rt::nowTime();
        c.countedSeconds = 0;
        c.recorded = false;
        view.showRecord(RunRecord::StartedAt, startedAtText());
        view.showRecords(false);
        const double total = rt::toNumber(view.entry(RunEntry::Hours)) * 3600.0 +
                             rt::toNumber(view.entry(RunEntry::Minutes)) * 60.0 +
                             rt::toNumber(view.entry(RunEntry::Seconds));
        // Only a hand-edited file can hold such a total; clamp, never wrap.
        c.totalSeconds = qint32(std::clamp(total, double(std::numeric_limits<qint32>::min()),
                                           double(std::numeric_limits<qint32>::max())));
        view.clearCommandOutput();
        c.intervalSeconds = float(rt::toNumber(view.entry(RunEntry::IntervalMinutes)) * 60.0);
        c.reminderKind = reminderKindAt(view.reminderKindIndex());
        view.refreshRows();
        c.customRowCount = qint32(view.rows().size());
    }
    if (c.state == RunState::Running) {
        // Takes effect when the second being waited for has been counted.
        setRunState(RunState::Paused);
        return;
    }
    setRunState(RunState::Running);
    runTimer(c.totalSeconds);
    if (!loop.armed && c.state == RunState::Running) setRunState(RunState::Paused);
}

void runTimer(qint32 total) {
    // A pause and resume within one second find the loop still armed: it
    // simply goes on, so exactly one loop counts.
    if (loop.armed) return;
    Loop fresh;
    if (runView().chosen(RunChoice::Countdown))
        core().mode = RunMode::Countdown;
    else if (runView().chosen(RunChoice::CountUp))
        core().mode = RunMode::CountUp;
    else
        return;
    fresh.armed = true;
    fresh.total = total;
    fresh.start = clock().now();
    loop = fresh;
    prepareRunSounds();
    if (!beforeWait()) {
        stopLoop();
        return;
    }
    armNext(loop.start);
    notify(RunEvent::Counting);
}

void endOfRun() {
    TimerCore& c = core();
    RunView& view = runView();
    c.endedAt = rt::nowTime();
    view.showRecord(RunRecord::EndedAt, endedAtText());
    view.showTime(u"00:00:00"_s);
    view.showRecords(true);
    c.secondsSinceReminder = c.currentRow = 0;
    c.rowArmed = false;
    setRunState(RunState::Ended);
    recordRun(RunOutcome::Finished);
    playEndSound();
    notify(RunEvent::Ended);
}

void resetTimer() {
    TimerCore& c = core();
    if (c.runActive()) recordRun(RunOutcome::Reset);
    // The counting loop stops at once; the second it was waiting for is
    // not counted, and nothing holds a start that follows right away.
    if (loop.timerId) clock().cancel(loop.timerId);
    loop = Loop{};
    c.clockSeconds = c.clockMinutes = c.clockHours = c.elapsedSeconds = c.secondsSinceReminder =
        c.currentRow = 0;
    c.rowArmed = false;
    dropWaitingSpeech();
    runView().showRecords(false);
    runView().showTime(u"00:00:00"_s);
    setRunState(RunState::Idle);
    notify(RunEvent::Stopped);
}

namespace {
bool endSoundOn() {
    return runView().chosen(RunChoice::EndSound);
}
}  // namespace

void prepareRunSounds() {
    if (core().reminderKind == ReminderKind::Beep) rt::prepareBeep();
    if (endSoundOn()) rt::prepareSound();
}

void playEndSound() {
    if (!endSoundOn()) return;
    rt::stopSound();
    rt::playSound(rt::endSoundClip());
}

}  // namespace zorvik
