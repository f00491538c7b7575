#include "timer/clock.h"

#include <QCoreApplication>
#include <QTimer>

namespace zorvik {

SteadyClock::~SteadyClock() {
    for (auto& [id, t] : timers_) delete t;
}

int SteadyClock::schedule(TimePoint due, std::function<void()> fn) {
    const int id = next_++;
    auto* t = new QTimer;
    t->setSingleShot(true);
    t->setTimerType(Qt::PreciseTimer);
    timers_[id] = t;
    auto msUntilDue = [this, due] {
        return std::max<qint64>(0, std::chrono::ceil<std::chrono::milliseconds>(due - now()).count());
    };
    QObject::connect(t, &QTimer::timeout, t, [this, id, t, msUntilDue, fn = std::move(fn)] {
        // Qt may wake a millisecond early; never run a pass before its time.
        if (const qint64 left = msUntilDue(); left > 0) {
            t->start(int(left));
            return;
        }
        timers_.erase(id);
        t->deleteLater();
        fn();
    });
    t->start(int(msUntilDue()));
    return id;
}

void SteadyClock::cancel(int id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second->stop();
    it->second->deleteLater();
    timers_.erase(it);
}

int ManualClock::schedule(TimePoint due, std::function<void()> fn) {
    const int id = next_++;
    queue_[id] = Entry{due, std::move(fn)};
    return id;
}

void ManualClock::cancel(int id) { queue_.erase(id); }

void ManualClock::advance(std::chrono::milliseconds by) {
    const TimePoint target = now_ + by;
    for (;;) {
        auto first = queue_.end();
        for (auto it = queue_.begin(); it != queue_.end(); ++it)
            if (it->second.due <= target && (first == queue_.end() || it->second.due < first->second.due))
                first = it;
        if (first == queue_.end()) break;
        now_ = std::max(now_, first->second.due);  // a stall leaves now_ past due
        auto fn = std::move(first->second.fn);
        queue_.erase(first);
        fn();
    }
    now_ = target;
}

void ManualClock::stall(std::chrono::milliseconds by) {
    now_ += by;
    advance(std::chrono::milliseconds(0));
}

namespace {
Clock* installed = nullptr;
}

Clock& clock() {
    static SteadyClock steady;
    return installed ? *installed : steady;
}

void setClock(Clock* c) { installed = c; }

}  // namespace zorvik
