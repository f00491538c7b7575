#pragma once
// Plays short clips of samples held in memory through one audio output on
// the desktop's sound server: a few kilobytes of state instead of a media
// pipeline. The output is made ahead (prepare) so that a play is only the
// start of a stream, and each clip is heard whole, first sample to last.

#include <QBuffer>
#include <QObject>
#include <QTimer>

#include "runtime/sound.h"

class QAudioSink;

namespace rt {

class SoundPlayer : public QObject {
    Q_OBJECT
  public:
    explicit SoundPlayer(QObject* parent = nullptr);
    ~SoundPlayer() override;

    // Makes the output for clips of this format; a play in another format
    // makes a new one.
    void prepare(const QAudioFormat& format);
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
    void onStateChanged();
    void finish();
    void dropSink();

    QAudioSink* sink_ = nullptr;
    QBuffer buffer_;
    QTimer tail_;  // from the output taking the clip's last bytes to their being heard
    QTimer guard_;
    bool playing_ = false;
    int attempt_ = 0;
};

}  // namespace rt
