#pragma once
// The program-wide variables of the timer core. One instance, owned by
// the timer layer; every handler runs on the window thread.

#include <QString>
#include <QtGlobal>

#include "settings/main_window.h"

namespace zorvik {

struct TimerCore {
    int runActive = 0;
    qint32 totalSeconds = 0;
    float intervalSeconds = 0;
    qint32 reminderKind = 0;
    qint32 customRowCount = 0;
    int rowArmed = 0;
    qint32 currentRow = 0;
    qint32 secondsSinceReminder = 0;
    qint32 elapsedSeconds = 0;
    qint32 clockHours = 0, clockMinutes = 0, clockSeconds = 0;
    QString hoursText, minutesText, secondsText;
    int stopRequested = 0;
};

TimerCore& core();


}  // namespace zorvik
