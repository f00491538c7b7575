#pragma once
// The timer engine: one pass per second, counting down or up.

#include <QObject>
#include <QString>

#include "timer/timer_state.h"

namespace zorvik {

void startOrPause();
void runTimer(qint32 total);
void endOfRun();
void resetTimer();
// Sets the run state and shows it through the run view.
void setRunState(RunState state);
void playEndSound();
// Readies the outputs of the sounds a starting run will play (its beeps,
// the end sound), so each is heard from its due moment.
void prepareRunSounds();
// Disarms a counting loop without touching any control (the main window
// is going away).
void stopEngine();
// Display text of a duration part: at least two digits.
QString twoDigits(qint32 part);
// What the core says the display shows, as "00:00:00", and the records
// under it ("始于：…", "终于：…").
QString clockText();
QString startedAtText();
QString endedAtText();

// What the desktop around the window follows (tray, sleep, attention):
// told when a loop starts counting, after each pass, at the natural end
// and whenever counting stops (pause, end, reset, the window going away).
enum class RunEvent { Counting, Pass, Ended, Stopped };
class RunNotifier : public QObject {
    Q_OBJECT
  public:
    Q_SIGNAL void runChanged(zorvik::RunEvent event);
};
RunNotifier& runNotifier();

}  // namespace zorvik
