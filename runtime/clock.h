#pragma once
// The one seam through which the program reads time and waits for it.
// Production runs on the steady clock and precise Qt timers; tests install
// a manual clock and advance it, so hour-long runs take milliseconds.
// Everything that waits (the timer's passes, media opens, speech, HTTP
// deadlines, the pause after writing default settings) waits here, as a
// continuation, never in a nested event loop.

#include <chrono>
#include <functional>
#include <map>
#include <memory>

#include <QPointer>

class QTimer;

namespace rt {

class Clock {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
    // Runs fn once, on the window thread, when due has come. Returns an id
    // for cancel(); ids are never 0.
    virtual int schedule(TimePoint due, std::function<void()> fn) = 0;
    virtual void cancel(int id) = 0;
    // Expires with the clock, so a Deadline never cancels on a clock that
    // a test has already thrown away.
    std::weak_ptr<void> lifetime() const { return life_; }

  private:
    std::shared_ptr<int> life_ = std::make_shared<int>(0);
};

class SteadyClock : public Clock {
  public:
    ~SteadyClock() override;
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
    int schedule(TimePoint due, std::function<void()> fn) override;
    void cancel(int id) override;

  private:
    std::map<int, QPointer<QTimer>> timers_;
    int next_ = 1;
};

class ManualClock : public Clock {
  public:
    TimePoint now() const override { return now_; }
    int schedule(TimePoint due, std::function<void()> fn) override;
    void cancel(int id) override;
    // Moves time forward, running everything that falls due on the way in
    // order of its due time.
    void advance(std::chrono::milliseconds by);
    void advanceSeconds(int s) { advance(std::chrono::seconds(s)); }
    // Time jumps forward with nothing running on the way (a suspended or
    // frozen machine); what fell due runs late, at the new time.
    void stall(std::chrono::milliseconds by);
    int pending() const { return int(queue_.size()); }

  private:
    struct Entry {
        TimePoint due;
        std::function<void()> fn;
    };
    TimePoint now_{std::chrono::hours(1)};
    std::map<int, Entry> queue_;
    int next_ = 1;
};

Clock& clock();
// Installs a clock (tests); nullptr restores the steady clock.
void setClock(Clock* c);

// One pending continuation on the clock, owned by whoever waits for it:
// starting it again replaces what was pending, and it is cancelled when
// its owner goes, so nothing runs for an object that no longer exists.
class Deadline {
  public:
    Deadline() = default;
    ~Deadline() { cancel(); }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

    void start(std::chrono::milliseconds after, std::function<void()> fn);
    void cancel();
    bool pending() const { return id_ != 0; }

  private:
    Clock* clock_ = nullptr;
    std::weak_ptr<void> life_;
    int id_ = 0;
};

}  // namespace rt
