#include "runtime/media_player.h"

#include <QAudioOutput>
#include <QEventLoop>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>

namespace rt {

namespace {
constexpr int kOpenTimeoutMs = 2000;

bool isSettled(QMediaPlayer::MediaStatus status) {
    switch (status) {
        case QMediaPlayer::LoadedMedia:
        case QMediaPlayer::BufferedMedia:
        case QMediaPlayer::BufferingMedia:
        case QMediaPlayer::StalledMedia:
        case QMediaPlayer::EndOfMedia:
        case QMediaPlayer::InvalidMedia:
            return true;
        default:
            return false;
    }
}
}  // namespace

MediaPlayerControl::MediaPlayerControl(QObject* parent) : QObject(parent) {}

MediaPlayerControl::~MediaPlayerControl() {
    // The player must go before the output it renders into.
    delete player_;
    delete output_;
}

void MediaPlayerControl::ensurePlayer() {
    if (player_) return;
    output_ = new QAudioOutput(this);
    player_ = new QMediaPlayer(this);
    player_->setAudioOutput(output_);
    connect(player_, &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) {
                if (status == QMediaPlayer::EndOfMedia && opened_) Q_EMIT finished();
            });
}

void MediaPlayerControl::close() {
    opened_ = false;
    if (!player_) return;
    player_->stop();
    player_->setSource(QUrl());
}

bool MediaPlayerControl::open(const QString& file) {
    close();
    const QFileInfo info(file);
    // A missing file never reaches the player, so it is not made for nothing.
    if (file.isEmpty() || !info.isFile() || !info.isReadable()) return false;
    ensurePlayer();
    player_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    opened_ = waitUntilKnown(kOpenTimeoutMs);
    if (!opened_) player_->setSource(QUrl());
    return opened_;
}

// The backend decodes in the background; the caller needs a yes or no (and
// the length: speech waits for it) before it goes on, so wait here, in a
// local loop that keeps the window responsive.
bool MediaPlayerControl::waitUntilKnown(int timeoutMs) {
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(timeoutMs);
    auto failed = [this] {
        return player_->error() != QMediaPlayer::NoError ||
               player_->mediaStatus() == QMediaPlayer::InvalidMedia;
    };
    waitFor(deadline, [&] { return failed() || isSettled(player_->mediaStatus()); });
    if (failed() || !isSettled(player_->mediaStatus())) return false;
    if (player_->duration() <= 0) {
        // Some formats (MP3 without a header frame) only report their length
        // once the pipeline has prerolled; pausing does that without sound,
        // and stopping afterwards puts the medium back at its start.
        player_->pause();
        waitFor(deadline, [&] { return failed() || player_->duration() > 0; });
        player_->stop();
    }
    return !failed();
}

void MediaPlayerControl::waitFor(const QTimer& deadline, const std::function<bool()>& done) {
    QEventLoop loop;
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(player_, &QMediaPlayer::mediaStatusChanged, &loop, &QEventLoop::quit);
    connect(player_, &QMediaPlayer::errorOccurred, &loop, &QEventLoop::quit);
    connect(player_, &QMediaPlayer::durationChanged, &loop, &QEventLoop::quit);
    while (!done() && deadline.isActive()) loop.exec();
}

bool MediaPlayerControl::play(int positionMs) {
    if (!opened_) return false;
    if (positionMs >= 0) player_->setPosition(positionMs);
    player_->play();
    return true;
}

void MediaPlayerControl::stop() {
    if (player_) player_->stop();
}

int MediaPlayerControl::lengthSeconds() {
    if (!opened_) return 0;
    return static_cast<int>(player_->duration() / 1000);
}

}  // namespace rt
