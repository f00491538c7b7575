#pragma once
// The history window "计时记录": today's, this week's and all counted time,
// and the most recent runs, newest first, from "计时记录.csv".

#include "runtime/window_desc.h"

namespace zorvik {

rt::WindowDesc historyWindowDescription();
// Binds its opening and filling, and refills it whenever a run stops.
void registerHistoryHandlers();

}  // namespace zorvik
