#pragma once
// One worker thread that owns the synthesizer and works through requests in
// arrival order, so the network side never waits on espeak-ng.

#include <QByteArray>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace speech {

struct SynthJob {
    quint64 id = 0;
    QString text;
    int speed = 6;
    // Set by the network side when the client has gone; the worker then
    // skips the job instead of speaking for nobody.
    std::shared_ptr<std::atomic_bool> cancelled;
};

class SynthQueue {
  public:
    // done runs on the worker thread with the job's id and its MP3 (empty
    // when synthesis failed). dataParent: see Synthesizer.
    using Done = std::function<void(quint64 id, QByteArray mp3)>;
    SynthQueue(const QString& dataParent, Done done);
    // Finishes the job in hand, drops the rest and joins the worker.
    ~SynthQueue();
    SynthQueue(const SynthQueue&) = delete;
    SynthQueue& operator=(const SynthQueue&) = delete;

    void submit(SynthJob job);
    // Jobs waiting or in hand.
    std::size_t load() const;

  private:
    void run(const QString& dataParent);

    Done done_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<SynthJob> jobs_;
    std::size_t inHand_ = 0;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace speech
