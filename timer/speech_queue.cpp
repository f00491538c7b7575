#include "timer/speech_queue.h"

#include <QObject>
#include <QPointer>
#include <deque>

#include "media/media.h"
#include "media/media_player.h"
#include "media/speech_service.h"
#include "names/main_window.h"
#include "runtime/clock.h"
#include "runtime/runtime.h"
#include "runtime/settings_folder.h"
#include "settings/config.h"
#include "text/commands.h"

using namespace Qt::StringLiterals;

namespace zorvik {
namespace {

const QString kPlayer = ctl::kPlayer;
// Media pipelines report their end a little after the last sample plays.
constexpr int kEndGraceMs = 500;

rt::MediaPlayerControl* player() {
    return qobject_cast<rt::MediaPlayerControl*>(rt::controlObject(kMainWindow, kPlayer));
}

bool looksLikeMp3(const QByteArray& body) {
    if (body.startsWith("ID3")) return true;
    return body.size() >= 2 && uchar(body[0]) == 0xFF && (uchar(body[1]) & 0xE0) == 0xE0;
}

class SpeechQueue : public QObject {
  public:
    // Clips waiting behind the one under way; a newer one pushes the oldest
    // out, so speech never falls further and further behind the timer.
    static constexpr int kMaxWaiting = 3;

    void add(const QString& text);
    void dropWaiting() { waiting_.clear(); }
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

SpeechQueue& queue() {
    static auto* q = new SpeechQueue;  // lives as long as the program
    return *q;
}

}  // namespace

void speakText(const QString& text) {
    queue().add(text);
}

int pendingSpeech() {
    return queue().pending();
}

void dropWaitingSpeech() {
    queue().dropWaiting();
}

void cancelSpeech() {
    queue().cancel();
}

QString configuredSpeechAddress() {
    return readSetting(setting::SpeechAddress).trimmed();
}

QString speechFilePath() {
    return rt::scratchDirectory() + u"/read.mp3"_s;
}

QByteArray percentEncodeUtf8(const QString& text) {
    QByteArray out;
    const QByteArray utf8 = text.toUtf8();
    out.reserve(utf8.size() * 3);
    static const char hex[] = "0123456789ABCDEF";
    for (char ch : utf8) {
        const auto b = static_cast<unsigned char>(ch);
        out += '%';
        out += hex[b >> 4];
        out += hex[b & 0xF];
    }
    return out;
}

QString speechRequestUrl(const QString& base, const QString& text) {
    QString address = base;
    while (address.endsWith(u'/')) address.chop(1);
    return address + u"/txt/apiz.php?text="_s + QString::fromLatin1(percentEncodeUtf8(text)) +
           u"&spd=6"_s;
}

bool isAudioAnswer(const rt::HttpResult& result) {
    if (result.status != 200 || result.body.isEmpty()) return false;
    return result.contentType.trimmed().toLower().startsWith("audio/") || looksLikeMp3(result.body);
}

void SpeechQueue::add(const QString& text) {
    if (int(waiting_.size()) >= kMaxWaiting) waiting_.pop_front();
    waiting_.push_back(text);
    if (!clip_) next();
}

void SpeechQueue::cancel() {
    waiting_.clear();
    endClip();
    // The player lets go of the file first: a file still open cannot be
    // removed everywhere.
    rt::mediaCloseIfOpen(kMainWindow, kPlayer, speechFilePath());
    rt::deleteFile(speechFilePath());
    rt::stopOwnSpeechService();
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
    fetch(text);
}

void SpeechQueue::fetch(const QString& text) {
    const QString configured = configuredSpeechAddress();
    if (configured.isEmpty()) return fetchFromOwnService(text, /*mayRenew=*/true);
    // A configured address is someone else's service: it gets no secret,
    // and nothing is started for it.
    const QPointer<QObject> clip = clip_;
    rt::httpGetAsync(speechRequestUrl(configured, text), clip_,
                     [=, this](const rt::HttpResult& result) {
                         if (clip == clip_) fetched(result);
                     });
}

void SpeechQueue::fetchFromOwnService(const QString& text, bool mayRenew) {
    const QPointer<QObject> clip = clip_;
    auto answered = [=, this](const rt::HttpResult& result) {
        if (clip != clip_) return;
        // Nothing listens at its port: the service has gone and the program
        // has not heard yet. A new one, on a port and with a secret of its own.
        if (result.outcome == rt::HttpResult::Refused && mayRenew) {
            rt::stopOwnSpeechService();
            fetchFromOwnService(text, false);
        } else {
            fetched(result);
        }
    };
    rt::useOwnSpeechService(clip_, [=, this](std::optional<rt::OwnSpeechService> service) {
        if (clip != clip_) return;
        if (!service) return waitForPlayback(0, false);
        rt::httpGetAsync(speechRequestUrl(service->base, text), clip_, answered, service->secret);
    });
}

void SpeechQueue::fetched(const rt::HttpResult& result) {
    if (result.outcome != rt::HttpResult::Complete || !isAudioAnswer(result)) {
        // A service that held a request to its deadline held up the speech
        // that fell due meanwhile; by now that is stale, and asking for it
        // all at once would only bury the service deeper.
        if (result.outcome == rt::HttpResult::TimedOut) waiting_.clear();
        // A failed fetch is silent, and an answer that is no clip (an error
        // page, a status other than 200) is never written or played.
        waitForPlayback(0, false);
        return;
    }
    const QPointer<QObject> clip = clip_;
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
