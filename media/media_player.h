#pragma once
// The non-visual media player control: plays one medium (MP3, WAV, MIDI
// file) at a time. Every open gets a player of its own, made for it and
// released when the next open, a close or the control's end comes: a
// player that failed once (Qt 6.4 keeps its error) never spoils the next
// file. A player that has stood idle (its medium played out, stopped, or
// opened and never played) for kIdleRelease on the clock is released too,
// with the medium: its pipeline's threads and its connection to the sound
// server are held for nothing, and the logic always opens anew before it
// plays. The first player of the process loads the media framework (some
// 13 MiB, kept for the process's life); each later one costs a few
// milliseconds. On Windows the system's media control interface plays the
// file, and the open is answered as soon as the system has it open.

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

#include "runtime/clock.h"

class QMediaPlayer;

namespace rt {

class MediaPlayerControl : public QObject {
    Q_OBJECT
  public:
    static constexpr std::chrono::seconds kIdleRelease{60};

    explicit MediaPlayerControl(QObject* parent = nullptr);
    ~MediaPlayerControl() override;

    // Closes what was open, then opens file. done(true) once the medium and
    // its length are known, done(false) for a missing or unplayable file or
    // when it takes longer than 2 s on the clock. done always runs later, on
    // this control's thread, exactly once: an open that a later open or a
    // close cuts short gets false. Nothing runs once the control is gone.
    void open(const QString& file, std::function<void(bool)> done);
    // Starts playback, from positionMs when it is not negative. Returns at
    // once; false when nothing playable is open. A position needs a medium
    // that tells its length when opened (WAV, MIDI, MP3 with a header
    // frame); an MP3 without one plays from its start.
    bool play(int positionMs = -1);
    void stop();
    // Stops and lets go of the medium (and its file); a pending open ends false.
    void close();
    // As close, but a pending open's done never runs (the window is going).
    void abandon();
    // Length of the open medium in whole seconds (truncated); 0 when unknown.
    int lengthSeconds() const;
    bool isOpen() const { return opened_; }
    bool isOpening() const { return bool(pending_); }
    // The file open or being opened ("" when none).
    QString file() const { return file_; }
    bool hasPlayer() const;
    // The open medium is playing now.
    bool isPlaying() const;
#ifndef Q_OS_WIN
    // The player of the open medium, for tests that watch it; may be null.
    QMediaPlayer* player() const {
        return player_;
    }
#endif

  Q_SIGNALS:
    // The open medium played to its end.
    void finished();

  private:
    void releasePlayer();
    void endPending(bool ok);
    // Arms the idle release while the player stands idle, disarms it otherwise.
    void watchIdle();
#ifdef Q_OS_WIN
    bool openDevice();
    void poll();

    QString alias_;  // the system's name for the open device; "" when none
    bool playing_ = false;
    QTimer poll_;  // the system tells nothing when a medium ends
#else
    void makePlayer();
    // A player for file_, opened on a device of its own; false (and the
    // open settled so) when the file cannot be read.
    bool load();
    void check();
    void settle(bool ok);

    QMediaPlayer* player_ = nullptr;
    bool prerolling_ = false;
    qint64 learnedMs_ = 0;  // the length a spent player learned for this open
    Deadline deadline_;
#endif
    QString file_;
    bool opened_ = false;
    qint64 durationMs_ = 0;
    std::function<void(bool)> pending_;
    Deadline idle_;
};

}  // namespace rt
