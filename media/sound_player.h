#pragma once
// Plays short clips of samples held in memory on the desktop's sound server
// (PulseAudio, or PipeWire's PulseAudio service): a few kilobytes of state
// instead of a media pipeline. The server is fed from its own thread, so a
// busy window thread cannot make a clip stutter, and it tells when a clip
// has been played. Not used on Windows, where the system plays them.
//
// The connection to the server is this class's own rather than Qt's audio
// output: Qt's gives up for the rest of the process on a server that was
// missing when it first connected, or gone for more than 3 seconds. This
// one connects again at the next play, so a server that comes back is used.

#include <QObject>
#include <QTimer>
#include <memory>

#include "media/sound.h"

#ifndef Q_OS_WIN
namespace rt {

class SoundPlayer : public QObject {
    Q_OBJECT
  public:
    explicit SoundPlayer(QObject* parent = nullptr);
    ~SoundPlayer() override;

    // Connects to the sound server ahead of the first play, so that a play
    // only starts a stream.
    void prepare();
    // Stops what is playing and plays clip from its first sample. With no
    // sound server (or one that goes away while it plays) the clip is
    // silent, finished() comes at once, and the next play tries again.
    void play(const WaveClip& clip);
    void stop();
    bool isPlaying() const { return playing_; }

  Q_SIGNALS:
    // The clip's last sample has been played, or it could not be.
    void finished();

  private:
    struct Connection;  // the server's side, on its own thread
    void ended(int attempt);

    std::unique_ptr<Connection> server_;
    QTimer guard_;
    int attempt_ = 0;
    bool playing_ = false;
};

}  // namespace rt
#endif
