#include "speech/synth_queue.h"

#include "speech/synthesizer.h"

namespace speech {

SynthQueue::SynthQueue(const QString& dataParent, Done done) : done_(std::move(done)) {
    worker_ = std::thread([this, dataParent] { run(dataParent); });
}

SynthQueue::~SynthQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    worker_.join();
}

void SynthQueue::submit(SynthJob job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

std::size_t SynthQueue::load() const {
    std::lock_guard lock(mutex_);
    return jobs_.size() + inHand_;
}

void SynthQueue::run(const QString& dataParent) {
    // Built here so espeak-ng's start-up cost never delays listening.
    Synthesizer synthesizer(dataParent);
    for (;;) {
        SynthJob job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
            ++inHand_;
        }
        if (!job.cancelled || !*job.cancelled)
            done_(job.id, synthesizer.speak(job.text, job.speed));
        std::lock_guard lock(mutex_);
        --inHand_;
    }
}

}  // namespace speech
