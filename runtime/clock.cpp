#include "runtime/clock.h"

#include <QCoreApplication>
#include <QTimer>
#include <limits>

namespace rt {

SteadyClock::~SteadyClock() {
    // Timers the application has already taken down with it are gone.
    for (auto& [id, t] : timers_) delete t.data();
}

int SteadyClock::schedule(TimePoint due, std::function<void()> fn) {
    const int id = next_++;
    auto* t = new QTimer(QCoreApplication::instance());
    t->setSingleShot(true);
    t->setTimerType(Qt::PreciseTimer);
    timers_[id] = t;
    auto msUntilDue = [this, due] {
        return std::max<qint64>(0,
                                std::chrono::ceil<std::chrono::milliseconds>(due - now()).count());
    };
    QObject::connect(t, &QTimer::timeout, t, [this, id, t, msUntilDue, fn = std::move(fn)] {
        // Qt may wake a millisecond early; never run a continuation before its time.
        if (const qint64 left = msUntilDue(); left > 0) {
            t->start(int(std::min<qint64>(left, std::numeric_limits<int>::max())));
            return;
        }
        timers_.erase(id);
        t->deleteLater();
        fn();
    });
    t->start(int(std::min<qint64>(msUntilDue(), std::numeric_limits<int>::max())));
    return id;
}

void SteadyClock::cancel(int id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    if (QTimer* t = it->second) {
        t->stop();
        t->deleteLater();
    }
    timers_.erase(it);
}

int ManualClock::schedule(TimePoint due, std::function<void()> fn) {
    const int id = next_++;
    queue_[id] = Entry{due, std::move(fn)};
    return id;
}

void ManualClock::cancel(int id) {
    queue_.erase(id);
}

void ManualClock::advance(std::chrono::milliseconds by) {
    const TimePoint target = now_ + by;
    for (;;) {
        auto first = queue_.end();
        for (auto it = queue_.begin(); it != queue_.end(); ++it)
            if (it->second.due <= target &&
                (first == queue_.end() || it->second.due < first->second.due))
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

void setClock(Clock* c) {
    installed = c;
}

void Deadline::start(std::chrono::milliseconds after, std::function<void()> fn) {
    cancel();
    Clock& c = clock();
    clock_ = &c;
    life_ = c.lifetime();
    id_ = c.schedule(c.now() + after, [this, fn = std::move(fn)] {
        // Cleared first: fn may start this deadline again, or end its owner.
        id_ = 0;
        fn();
    });
}

void Deadline::cancel() {
    if (id_ != 0 && !life_.expired()) clock_->cancel(id_);
    id_ = 0;
}

}  // namespace rt
