#pragma once
// Speech reminders, one at a time: each text is fetched from the speech
// endpoint (the configured one, or the program's own service), written to
// the speech file, played in the main window's media player and removed,
// before the next is asked for. They share one file
// and one player, so they take turns; nothing of it ever waits inside a
// handler, every step is a continuation on the clock or a signal.

#include <QObject>
#include <QString>
#include <deque>

#include "media/http.h"
#include "runtime/clock.h"

namespace zorvik {

// The request for a text at a service's base address.
QString speechRequestUrl(const QString& base, const QString& text);
// A clip is a 200 answer whose body is audio by its declared type, or by
// its first bytes (MP3), as some services declare nothing useful.
bool isAudioAnswer(const rt::HttpResult& result);

class SpeechQueue : public QObject {
  public:
    // Clips waiting behind the one under way; a newer one pushes the oldest
    // out, so speech never falls further and further behind the timer.
    static constexpr int kMaxWaiting = 3;

    void add(const QString& text);
    // The clips still waiting go; the one under way ends normally.
    void dropWaiting();
    // Everything goes at once, the one under way included, and with it the
    // speech file and the program's own service (the main window is going).
    void cancel();
    // Waiting clips plus the one under way.
    int pending() const { return int(waiting_.size()) + (clip_ ? 1 : 0); }

  private:
    void next();
    void endClip();
    void fetch(const QString& text);
    // mayRenew: once, a service found gone is replaced by a new one.
    void fetchFromOwnService(const QString& text, bool mayRenew);
    void fetched(const rt::HttpResult& result);
    void opened(bool ok);
    void waitForPlayback(int seconds, bool playing);
    void finishIfDone();

    std::deque<QString> waiting_;
    // The clip under way: every callback of its fetch, service start, open
    // and playback belongs to it and is dropped when it ends.
    QObject* clip_ = nullptr;
    rt::Deadline minimum_, grace_;
    bool minimumPassed_ = false;
    bool ended_ = false;
};

}  // namespace zorvik
