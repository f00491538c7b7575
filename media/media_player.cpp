#include "media/media_player.h"

#ifndef Q_OS_WIN
#include <QFile>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QUrl>

#include "media/media_backend.h"

namespace rt {

namespace {

constexpr std::chrono::milliseconds kOpenTimeout{2000};

bool isSettled(QMediaPlayer::MediaStatus status) {
    switch (status) {
        case QMediaPlayer::LoadedMedia:
        case QMediaPlayer::BufferedMedia:
        case QMediaPlayer::BufferingMedia:
        case QMediaPlayer::StalledMedia:
        case QMediaPlayer::EndOfMedia:
            return true;
        default:
            return false;
    }
}

// Runs fn on a later turn of context's event loop, never inside the caller.
void later(QObject* context, std::function<void()> fn) {
    QMetaObject::invokeMethod(context, std::move(fn), Qt::QueuedConnection);
}

}  // namespace

MediaPlayerControl::MediaPlayerControl(QObject* parent) : QObject(parent) {}

MediaPlayerControl::~MediaPlayerControl() {
    releasePlayer();
}

void MediaPlayerControl::makePlayer() {
    player_ = detail::makeMediaPlayer(this);
    connect(player_, &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) {
                if (pending_) {
                    check();
                    return;
                }
                watchIdle();
                if (status == QMediaPlayer::EndOfMedia && opened_) Q_EMIT finished();
            });
    connect(player_, &QMediaPlayer::playbackStateChanged, this, &MediaPlayerControl::watchIdle);
    auto recheck = [this] {
        if (pending_) check();
    };
    connect(player_, &QMediaPlayer::errorOccurred, this, recheck);
    connect(player_, &QMediaPlayer::durationChanged, this, recheck);
    connect(player_, &QMediaPlayer::hasAudioChanged, this, recheck);
}

void MediaPlayerControl::releasePlayer() {
    deadline_.cancel();
    idle_.cancel();
    if (player_) detail::disposeMediaPlayer(player_);
    player_ = nullptr;
}

void MediaPlayerControl::endPending(bool ok) {
    if (auto done = std::move(pending_)) {
        pending_ = nullptr;
        later(this, [done = std::move(done), ok] { done(ok); });
    }
}

void MediaPlayerControl::close() {
    endPending(false);
    releasePlayer();
    opened_ = prerolling_ = false;
    durationMs_ = learnedMs_ = 0;
    file_.clear();
}

void MediaPlayerControl::open(const QString& file, std::function<void(bool)> done) {
    close();
    const QFileInfo info(file);
    pending_ = done ? std::move(done) : [](bool) {};
    // A missing file never reaches a player, so none is made for nothing.
    if (file.isEmpty() || !info.isFile() || !info.isReadable()) {
        endPending(false);
        return;
    }
    file_ = info.absoluteFilePath();
    deadline_.start(kOpenTimeout, [this] { settle(false); });
    load();
}

bool MediaPlayerControl::load() {
    auto* device = new QFile(file_);
    if (!device->open(QIODevice::ReadOnly)) {
        delete device;
        settle(false);
        return false;
    }
    makePlayer();
    detail::setMediaDevice(player_, device, QUrl::fromLocalFile(file_));
    return true;
}

// The backend decodes in the background; the caller needs a yes or no, and
// the length (speech waits for it), before it goes on.
void MediaPlayerControl::check() {
    if (player_->error() != QMediaPlayer::NoError ||
        player_->mediaStatus() == QMediaPlayer::InvalidMedia) {
        settle(false);
        return;
    }
    if (!isSettled(player_->mediaStatus()) || !detail::mediaPlayerSettled(player_)) return;
    const qint64 length = player_->duration();
    if (learnedMs_ > 0 || (length > 0 && !prerolling_)) {
        settle(true);
        return;
    }
    // MP3 without a header frame (speech as LAME writes it to a stream)
    // tells its length only once the pipeline has prerolled again, which a
    // pause does without sound. But pausing a stopped player makes this
    // backend flush with a seek that ends where the length is known then:
    // at 0, so that player would end the medium before a sample sounds.
    // It only learns the length; a fresh player, never paused or sought,
    // plays the whole medium.
    if (length > 0) {
        learnedMs_ = length;
        prerolling_ = false;
        detail::disposeMediaPlayer(std::exchange(player_, nullptr));
        load();
    } else if (!prerolling_) {
        prerolling_ = true;
        player_->pause();
    }
}

void MediaPlayerControl::settle(bool ok) {
    deadline_.cancel();
    if (!ok) {
        close();
        return;
    }
    // Taken first: stopping below reports a status change of its own.
    auto done = std::move(pending_);
    pending_ = nullptr;
    durationMs_ = learnedMs_ > 0 ? learnedMs_ : player_->duration();
    opened_ = true;
    later(this, [done = std::move(done)] { done(true); });
    watchIdle();
}

// A clip that plays is never cut: the release is armed only while nothing
// plays and nothing opens, and every start of playback disarms it. Going
// idle again starts the whole wait anew.
void MediaPlayerControl::watchIdle() {
    const bool idle =
        player_ && !pending_ && player_->playbackState() != QMediaPlayer::PlayingState;
    if (!idle) {
        idle_.cancel();
        return;
    }
    if (!idle_.pending()) idle_.start(kIdleRelease, [this] { close(); });
}

void MediaPlayerControl::abandon() {
    pending_ = nullptr;
    close();
}

bool MediaPlayerControl::play(int positionMs) {
    if (!opened_ || !player_) return false;
    if (positionMs >= 0) player_->setPosition(positionMs);
    player_->play();
    watchIdle();
    return true;
}

void MediaPlayerControl::stop() {
    if (opened_) player_->stop();
}

int MediaPlayerControl::lengthSeconds() const {
    return opened_ ? int(durationMs_ / 1000) : 0;
}

bool MediaPlayerControl::hasPlayer() const {
    return player_ != nullptr;
}

bool MediaPlayerControl::isPlaying() const {
    return player_ && player_->playbackState() == QMediaPlayer::PlayingState;
}

}  // namespace rt
#endif
