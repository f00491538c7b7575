#pragma once
// The sound service: plays a WAV clip held in memory, once, through one
// player of its own (made on first use). Only the end-of-run clip uses it,
// so stopping it never touches the media player controls.

#include <QByteArray>
#include <QObject>

class QMediaPlayer;

namespace rt {

// True when data is a RIFF/WAVE file with a usable "fmt " chunk and a
// "data" chunk, so the player is never handed bytes it will reject later.
bool isPlayableWave(const QByteArray& data);

// Stops a sound already playing through this service, then starts wav from
// its beginning and returns at once. False (and nothing stops) when wav is
// not a playable WAV file. Callable from any thread.
bool playSound(const QByteArray& wav);
void stopSound();
// Whether the service is playing now. Window thread only.
bool soundPlaying();

// Plays WAV bytes held in memory; the sound service and the beep each own
// one.
class MemoryWavPlayer : public QObject {
    Q_OBJECT
  public:
    explicit MemoryWavPlayer(QObject* parent = nullptr);
    ~MemoryWavPlayer() override;

    // Stops what is playing and plays wav from its start.
    void play(const QByteArray& wav);
    void stop();
    bool isPlaying() const;

  Q_SIGNALS:
    // The clip played to its end, or the player gave up on it.
    void finished();

  private:
    QMediaPlayer* player_ = nullptr;
};

}  // namespace rt
