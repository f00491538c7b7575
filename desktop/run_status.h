#pragma once
// The run as the desktop shows it outside the window: a state word, the
// time the window shows, and how much of the total is behind us.

#include <QIcon>
#include <QString>

#include "timer/timer_state.h"

namespace zorvik::desktop {

struct RunStatus {
    RunState state = RunState::Idle;
    QString shown;            // the time the display shows
    bool countdown = true;    // the time shown is what remains
    double fraction = 0;      // 0..1 of the total counted
    qint64 todaySeconds = 0;  // counted today, the run under way included
};

// Read from the timer core, never from the window.
RunStatus currentStatus();
// "ZorvikV1.0", then for example "剩余 00:04:59 · 计时中", then for
// example "今日计时 01:30:00".
QString statusText(const RunStatus& status);
// The tray picture: a dial whose ring fills as the run goes on. Steps of
// the ring are coarse so that a new picture is needed rarely.
inline constexpr int kRingSteps = 48;
int ringStep(const RunStatus& status);
QIcon progressIcon(int step);

}  // namespace zorvik::desktop
