#pragma once
// What the engine reads from and shows to the user, apart from its own
// state: the main window in the program. The engine and scheduling go
// through this alone, so they run without any window when another view
// takes its place.

#include <QString>

#include "settings/reminder_table.h"
#include "timer/timer_state.h"

namespace zorvik {

enum class RunChoice { Countdown, CountUp, CustomReminders, TableCommands, EndSound };
enum class RunEntry { Hours, Minutes, Seconds, IntervalMinutes };
enum class RunRecord { StartedAt, EndedAt };

class RunView {
  public:
    virtual ~RunView() = default;

    virtual bool chosen(RunChoice choice) const = 0;
    virtual QString entry(RunEntry entry) const = 0;
    virtual int reminderKindIndex() const = 0;
    // The table's rows as they stand; refreshRows reads them anew.
    virtual const ReminderRows& rows() const = 0;
    virtual void refreshRows() = 0;

    virtual void showTime(const QString& text) = 0;
    // The start caption, the colour of the time, the settings a run locks.
    virtual void showRunState(RunState state) = 0;
    virtual void showRecord(RunRecord record, const QString& text) = 0;
    virtual void showRecords(bool shown) = 0;
    virtual void clearCommandOutput() = 0;
};

// The caption of "开始" (and of the tray's item for it) in a state:
// "暂停" while a loop counts.
QString startCaption(RunState state);

// The view in use: the main window's unless another was set.
RunView& runView();
// Puts view in the main window's place; null gives the main window back.
void setRunView(RunView* view);

}  // namespace zorvik
