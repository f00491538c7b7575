#pragma once
// The timer engine: one pass per second, counting down or up.

#include <QString>

namespace zorvik {

void startOrPause();
void runTimer(qint32 total);
void endOfRun();
void resetTimer();
void setSettingsLock(bool value, bool setMode);
void playEndSound();
// Readies the outputs of the sounds a starting run will play (its beeps,
// the end sound), so each is heard from its due moment.
void prepareRunSounds();
// Disarms a counting loop without touching any control (the main window
// is going away).
void stopEngine();
// Display text of a duration part: at least two digits.
QString twoDigits(qint32 part);

}  // namespace zorvik
