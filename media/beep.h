#pragma once
// The beep: a tone of hz for ms milliseconds. On Windows the system beep
// (which blocks, so it runs on a worker thread); elsewhere a sine tone made
// in memory and played on the sound server through the beep's own audio
// output. Reminders use 900 Hz for 980 ms.

#include <QByteArray>
#include <functional>

namespace rt {

// Starts the tone and returns at once; done runs on the window thread when
// the tone is over. Tones asked for while one sounds follow it in order, as
// the system beep does. A tone with no length or pitch only calls done.
// Callable from any thread.
void beep(int hz, int ms, std::function<void()> done = {});
// Makes the beep's audio output ahead of a run's first beep, so a beep that
// falls due only starts it. Callable from any thread.
void prepareBeep();

// The tone as a WAV file: 16-bit mono PCM sine, with short fades so it
// starts and stops without a click.
QByteArray toneWave(int hz, int ms);
inline constexpr int kToneSampleRate = 44100;

}  // namespace rt
