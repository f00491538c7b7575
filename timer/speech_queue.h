#pragma once
// Speech reminders, one at a time: each text is fetched from the speech
// endpoint, written to the speech file, played in the main window's media
// player and removed, before the next is asked for. They share one file
// and one player, so they take turns; nothing of it ever waits inside a
// handler, every step is a continuation on the clock or a signal.

#include <QObject>
#include <QString>
#include <deque>

#include "media/http.h"
#include "runtime/clock.h"

namespace zorvik {

class SpeechQueue : public QObject {
  public:
    // Clips waiting behind the one under way; a newer one pushes the oldest
    // out, so speech never falls further and further behind the timer.
    static constexpr int kMaxWaiting = 3;

    void add(const QString& text);
    // The clips still waiting go; the one under way ends normally.
    void dropWaiting();
    // Everything goes at once, the one under way included, and with it the
    // speech file (the main window is going).
    void cancel();
    // Waiting clips plus the one under way.
    int pending() const { return int(waiting_.size()) + (clip_ ? 1 : 0); }

  private:
    void next();
    void endClip();
    void fetch(const QString& text, bool mayStartService);
    void fetched(const QString& text, const rt::HttpResult& result, bool ownService);
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
