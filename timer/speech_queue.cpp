#include "timer/speech_queue.h"

#include <QPointer>

#include "media/media.h"
#include "media/media_player.h"
#include "media/speech_service.h"
#include "names/main_window.h"
#include "runtime/runtime.h"
#include "text/commands.h"
#include "timer/delivery.h"

using namespace Qt::StringLiterals;

namespace zorvik {
namespace {

const QString kPlayer = ctl::kPlayer;
// Media pipelines report their end a little after the last sample plays.
constexpr int kEndGraceMs = 500;

rt::MediaPlayerControl* player() {
    return qobject_cast<rt::MediaPlayerControl*>(rt::controlObject(kMainWindow, kPlayer));
}

}  // namespace

void SpeechQueue::add(const QString& text) {
    if (int(waiting_.size()) >= kMaxWaiting) waiting_.pop_front();
    waiting_.push_back(text);
    if (!clip_) next();
}

void SpeechQueue::dropWaiting() {
    waiting_.clear();
}

void SpeechQueue::cancel() {
    waiting_.clear();
    endClip();
    // The player lets go of the file first: a file still open cannot be
    // removed everywhere.
    rt::mediaCloseIfOpen(kMainWindow, kPlayer, speechFilePath());
    rt::deleteFile(speechFilePath());
}

void SpeechQueue::endClip() {
    minimum_.cancel();
    grace_.cancel();
    if (clip_) {
        // A transfer or a service start under way is abandoned now; the
        // clip itself may be the context of the callback running this.
        qDeleteAll(clip_->findChildren<QObject*>(Qt::FindDirectChildrenOnly));
        clip_->deleteLater();
    }
    clip_ = nullptr;
}

void SpeechQueue::next() {
    endClip();
    if (waiting_.empty()) return;
    clip_ = new QObject(this);
    const QString text = waiting_.front();
    waiting_.pop_front();
    fetch(text, /*mayStartService=*/true);
}

void SpeechQueue::fetch(const QString& text, bool mayStartService) {
    const QString configured = configuredSpeechAddress();
    const QString url = speechBaseAddressFrom(configured) + u"/txt/apiz.php?text="_s +
                        QString::fromLatin1(percentEncodeUtf8(text)) + u"&spd=6"_s;
    // A configured address is someone else's service; it is never started here.
    const bool ownService = mayStartService && configured.isEmpty();
    const QPointer<QObject> clip = clip_;
    rt::httpGetAsync(url, clip_, [=, this](const rt::HttpResult& result) {
        if (clip == clip_) fetched(text, result, ownService);
    });
}

void SpeechQueue::fetched(const QString& text, const rt::HttpResult& result, bool ownService) {
    const QPointer<QObject> clip = clip_;
    if (result.outcome == rt::HttpResult::Refused && ownService) {
        // Nothing listens at the local address yet: start the service that
        // ships beside the program, then ask once more.
        rt::startLocalSpeechService(rt::kLocalSpeechPort, clip_, [=, this](bool listening) {
            if (clip != clip_) return;
            if (listening)
                fetch(text, false);
            else
                waitForPlayback(0, false);
        });
        return;
    }
    if (result.outcome != rt::HttpResult::Complete) {
        // A service that held a request to its deadline held up the speech
        // that fell due meanwhile; by now that is stale, and asking for it
        // all at once would only bury the service deeper.
        if (result.outcome == rt::HttpResult::TimedOut) waiting_.clear();
        waitForPlayback(0, false);  // a failed fetch is silent
        return;
    }
    rt::writeFile(speechFilePath(), {result.body});
    rt::mediaOpen(kMainWindow, kPlayer, speechFilePath(), clip_, [=, this](bool ok) {
        if (clip == clip_) opened(ok);
    });
}

void SpeechQueue::opened(bool ok) {
    const bool playing = ok && rt::mediaPlay(kMainWindow, kPlayer, -1);
    waitForPlayback(playing ? rt::mediaLength(kMainWindow, kPlayer) : 0, playing);
}

// The reminder waits the length in whole seconds plus half a second, which
// can end before a clip of 1.8 s does; the next speech would then cut it
// short and the file would go while it plays. So the wait also lasts until
// the player reports the end, though never past the second the length was
// truncated from. Without playback it is the half second alone.
void SpeechQueue::waitForPlayback(int seconds, bool playing) {
    minimumPassed_ = false;
    ended_ = !playing;
    const QPointer<QObject> clip = clip_;
    if (rt::MediaPlayerControl* p = playing ? player() : nullptr) {
        connect(p, &rt::MediaPlayerControl::finished, clip_, [=, this] {
            if (clip != clip_) return;
            ended_ = true;
            finishIfDone();
        });
        grace_.start(std::chrono::milliseconds((seconds + 1) * 1000 + kEndGraceMs), [this] {
            ended_ = true;
            finishIfDone();
        });
    }
    minimum_.start(std::chrono::milliseconds(seconds * 1000 + 500), [this] {
        minimumPassed_ = true;
        finishIfDone();
    });
}

void SpeechQueue::finishIfDone() {
    if (!minimumPassed_ || !ended_) return;
    rt::mediaCloseIfOpen(kMainWindow, kPlayer, speechFilePath());
    rt::deleteFile(speechFilePath());
    next();
}

}  // namespace zorvik
