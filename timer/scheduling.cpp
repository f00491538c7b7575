#include "timer/scheduling.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include "shell/table_command.h"
#include "text/commands.h"
#include "timer/delivery.h"
#include "timer/run_view.h"
#include "timer/timer_state.h"

using namespace Qt::StringLiterals;

namespace zorvik {
namespace {

// Seconds reach the schedule through a 32-bit float (a row's minutes, the
// interval's seconds), which misses most decimals by a hair: 0.35 minutes
// become 20.9999996 seconds. A float is within half a unit of its last
// place (2^-24 relative) of the decimal it was read from; a product within
// two such units (2^-22 relative) of a whole second is taken as that
// second. Anything further off is a fraction the user typed (0.51 minutes,
// 999.9991 minutes).
std::optional<double> wholeSeconds(double seconds) {
    if (!std::isfinite(seconds)) return std::nullopt;
    const double nearest = std::round(seconds);
    if (std::fabs(seconds - nearest) > std::fabs(seconds) * std::ldexp(1.0, -22))
        return std::nullopt;
    return nearest;
}

qint32 clampedSeconds(double seconds) {
    return qint32(std::clamp(seconds, double(std::numeric_limits<qint32>::min()),
                             double(std::numeric_limits<qint32>::max())));
}

}  // namespace

qint32 rowSeconds(float minutes) {
    const double product = double(minutes) * 60.0;
    if (!std::isfinite(product)) return 0;
    return clampedSeconds(wholeSeconds(product).value_or(std::trunc(product)));
}

qint32 intervalWholeSeconds(float seconds) {
    const std::optional<double> whole = wholeSeconds(seconds);
    return whole ? clampedSeconds(*whole) : 0;
}

void intervalStep() {
    TimerCore& c = core();
    const qint32 interval = intervalWholeSeconds(c.intervalSeconds);
    if (interval == 0 || c.secondsSinceReminder != interval) return;
    c.secondsSinceReminder = 0;
    deliverReminder(QString());
}

void customStep() {
    TimerCore& c = core();
    if (c.customRowCount <= 0) return;
    if (!c.rowArmed) {
        // Advance: the next pass loads the row.
        if (c.currentRow < c.customRowCount) {
            c.rowArmed = true;
            c.rowCompared = false;
            c.currentRow += 1;
        }
        return;
    }
    // The row as the table holds it now (刷新 may reload it during a run);
    // the number of rows stays the one the run began with.
    const ReminderRows& rows = runView().rows();
    const ReminderRow row =
        c.currentRow <= qint32(rows.size()) ? rows[size_t(c.currentRow - 1)] : ReminderRow{};
    const qint32 seconds = rowSeconds(rt::toFloat(row.minutes));
    const QString& text = row.text;
    const QString& command = row.command;
    // A row without a time is passed over without resetting the count.
    if (seconds == 0 && c.currentRow < c.customRowCount) c.rowArmed = false;
    if (seconds == 0) return;
    // A row is first compared two passes after the reminder before it (or
    // later, after a skipped row): one whose seconds have passed by then
    // (a one-second row) is due in that pass, and the rows after it count
    // from there. Later comparisons wait for the count to reach the row.
    const bool firstComparison = !std::exchange(c.rowCompared, true);
    const bool due = c.secondsSinceReminder == seconds ||
                     (firstComparison && seconds > 0 && c.secondsSinceReminder > seconds);
    if (!due) return;
    c.rowArmed = false;
    c.secondsSinceReminder = 0;
    deliverReminder(text);
    if (runView().chosen(RunChoice::TableCommands)) runTableCommand(c.currentRow, command);
}

}  // namespace zorvik
