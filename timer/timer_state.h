#pragma once
// The program-wide variables of the timer core. One instance, owned by
// the timer layer; every handler runs on the window thread.

#include <QString>
#include <QtGlobal>

#include "names/main_window.h"
#include "names/reminder_kinds.h"

namespace zorvik {

// Where a run stands. Running: the loop counts. Paused: a run is set up and
// does not count (the loop still finishes the second it waits for).
// Ended: it reached its total; the red "00:00:00" stays until the next
// start or a reset.
enum class RunState { Idle, Running, Paused, Ended };
// What the run's clock parts count: the time left or the time counted.
enum class RunMode { Countdown, CountUp };

struct TimerCore {
    RunState state = RunState::Idle;
    // A run has been set up and not finished: its settings are locked.
    bool runActive() const { return state == RunState::Running || state == RunState::Paused; }
    qint32 totalSeconds = 0;
    float intervalSeconds = 0;
    ReminderKind reminderKind = ReminderKind::Beep;
    qint32 customRowCount = 0;
    bool rowArmed = false;
    // The current row has been compared with the count since it was
    // advanced to: only its first comparison may find its seconds passed.
    bool rowCompared = false;
    qint32 currentRow = 0;
    qint32 secondsSinceReminder = 0;
    qint32 elapsedSeconds = 0;
    // What the display shows; zero at the end and after a reset.
    qint32 clockHours = 0, clockMinutes = 0, clockSeconds = 0;
    RunMode mode = RunMode::Countdown;  // of the run last set counting
    // The last run's start and end, as rt::nowTime tells time.
    double startedAt = 0, endedAt = 0;
    // Seconds the run has counted, whatever the mode; and whether it has
    // gone into the record of the time spent.
    qint32 countedSeconds = 0;
    bool recorded = false;
};

TimerCore& core();

}  // namespace zorvik
