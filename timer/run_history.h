#pragma once
// Hands each run to the record of the time spent ("计时记录.csv") once it
// stops for good: at its end, at a reset, or when the program closes on it.

#include <QtGlobal>

#include "settings/run_log.h"

namespace zorvik {

// Appends the run under way once; a run already recorded adds nothing.
void recordRun(RunOutcome outcome);
// What today's runs counted, the one under way included.
qint64 secondsCountedToday();

}  // namespace zorvik
