#pragma once
// Waiting without blocking the window, and detached worker threads.

#include <QtGlobal>
#include <functional>

namespace rt {

// Waits amount units while the calling thread keeps handling its events.
// Unit 0 ms, 1 s, 2 min, 3 h; any other value is the milliseconds per
// unit. Waits nest: an inner wait started by a handler returns first and
// the outer one still ends at its own time. 0 returns at once.
bool responsiveWait(int amount, qint64 unit = 0);

// Runs routine(argument) on a new detached thread and returns at once.
void startWorkerThread(std::function<void(int)> routine, int argument = 0);

}  // namespace rt
