#pragma once
// The non-visual media player control: plays one medium (MP3, WAV, MIDI
// file) at a time. The player behind it is made on first use, because each
// one holds tens of megabytes of decoder state and most windows never play.

#include <QObject>
#include <QString>
#include <functional>

class QTimer;

class QMediaPlayer;
class QAudioOutput;

namespace rt {

class MediaPlayerControl : public QObject {
    Q_OBJECT
  public:
    explicit MediaPlayerControl(QObject* parent = nullptr);
    ~MediaPlayerControl() override;

    // Closes what was open, then opens file. False for a missing or
    // unplayable file; waits (at most about 2 s) until the medium is known.
    bool open(const QString& file);
    // Starts playback, from positionMs when it is not negative. Returns at
    // once; false when nothing playable is open.
    bool play(int positionMs = -1);
    void stop();
    void close();
    // Length of the open medium in whole seconds (truncated); 0 when unknown.
    int lengthSeconds();
    bool isOpen() const { return opened_; }
    // False until the first open makes the player; lets tests see it stays lazy.
    bool hasPlayer() const { return player_ != nullptr; }

  Q_SIGNALS:
    // The open medium played to its end.
    void finished();

  private:
    void ensurePlayer();
    bool waitUntilKnown(int timeoutMs);
    void waitFor(const QTimer& deadline, const std::function<bool()>& done);

    QMediaPlayer* player_ = nullptr;
    QAudioOutput* output_ = nullptr;
    bool opened_ = false;
};

}  // namespace rt
