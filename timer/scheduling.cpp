#include "timer/scheduling.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "runtime/commands.h"
#include "runtime/grid_commands.h"
#include "runtime/runtime.h"
#include "shell/table_command.h"
#include "timer/delivery.h"
#include "timer/timer_state.h"

using namespace Qt::StringLiterals;

namespace zorvik {
namespace {

const QString kGrid = u"高级表格1"_s;

QString cellText(int row, int column) {
    return rt::gridGetCell(kMainWindow, kGrid, row, column).toString();
}

// A row's minutes are held in a 32-bit float, which misses most decimals
// by a hair: 0.35 becomes 0.3499999940..., and truncating 20.9999996
// seconds would fire a second early. A product within the float's own
// precision of a whole second is that second; anything else truncates.
qint32 toSeconds(float minutes) {
    const double product = double(minutes) * 60.0;
    if (!std::isfinite(product)) return 0;
    const double nearest = std::round(product);
    const double s =
        std::fabs(product - nearest) <= std::fabs(product) * 1e-6 ? nearest : std::trunc(product);
    return qint32(std::clamp(s, double(std::numeric_limits<qint32>::min()),
                             double(std::numeric_limits<qint32>::max())));
}

}  // namespace

void intervalStep() {
    TimerCore& c = core();
    if (c.intervalSeconds == 0.0f) return;
    if (std::fabs(double(c.secondsSinceReminder) - double(c.intervalSeconds)) > 1e-7) return;
    c.secondsSinceReminder = 0;
    deliverReminder(QString());
}

void customStep() {
    TimerCore& c = core();
    if (c.customRowCount <= 0) return;
    if (c.rowArmed == 0) {
        // Advance: the next pass loads the row.
        if (c.currentRow < c.customRowCount) {
            c.rowArmed = 1;
            c.currentRow += 1;
        }
        return;
    }
    const qint32 rowSeconds = toSeconds(rt::toFloat(cellText(c.currentRow, 0)));
    const QString text = cellText(c.currentRow, 1);
    const QString command = cellText(c.currentRow, 2);
    // A row without a time is passed over without resetting the count.
    if (rowSeconds == 0 && c.currentRow < c.customRowCount) c.rowArmed = 0;
    if (rowSeconds == 0 || c.secondsSinceReminder != rowSeconds) return;
    c.rowArmed = 0;
    c.secondsSinceReminder = 0;
    deliverReminder(text);
    if (rt::getProperty(kMainWindow, u"选择框_命令行"_s, rt::slot::Checked).toBool())
        runTableCommand(c.currentRow, command);
}

}  // namespace zorvik
