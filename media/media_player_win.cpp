#include "media/media_player.h"

#ifdef Q_OS_WIN
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>

#include <windows.h>
// After windows.h, which it builds on.
#include <mmsystem.h>

#include "media/media_backend.h"

namespace rt {

namespace {

// The system says nothing when a medium ends; while one plays its state is
// asked this often.
constexpr int kPollMs = 100;

int openDevices = 0;
int lastAlias = 0;

// One command string to the media control interface: its answer, or
// nothing when the command failed.
std::optional<QString> mci(const QString& command) {
    wchar_t answer[128] = {};
    const MCIERROR error =
        mciSendStringW(reinterpret_cast<LPCWSTR>(command.utf16()), answer, 128, nullptr);
    if (error != 0) return std::nullopt;
    return QString::fromWCharArray(answer);
}

// The device that plays the file, by what the file holds rather than by its
// name: a WAV clip or a MIDI song named ".mp3" still plays.
QString deviceType(const QString& file) {
    QFile f(file);
    const QByteArray head = f.open(QIODevice::ReadOnly) ? f.read(12) : QByteArray();
    if (head.startsWith("MThd") || (head.startsWith("RIFF") && head.mid(8, 4) == "RMID"))
        return QStringLiteral("sequencer");
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WAVE") return QStringLiteral("waveaudio");
    return QStringLiteral("mpegvideo");
}

void later(QObject* context, std::function<void()> fn) {
    QMetaObject::invokeMethod(context, std::move(fn), Qt::QueuedConnection);
}

}  // namespace

namespace detail {

int mediaPlayersAlive() {
    return openDevices;
}

}  // namespace detail

MediaPlayerControl::MediaPlayerControl(QObject* parent) : QObject(parent) {
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &MediaPlayerControl::poll);
}

MediaPlayerControl::~MediaPlayerControl() {
    releasePlayer();
}

bool MediaPlayerControl::openDevice() {
    const QString alias = QStringLiteral("zorvik%1").arg(++lastAlias);
    const QString open = QStringLiteral("open \"%1\" type %2 alias %3")
                             .arg(QDir::toNativeSeparators(file_), deviceType(file_), alias);
    if (!mci(open)) return false;
    alias_ = alias;
    ++openDevices;
    const bool inMs = mci(QStringLiteral("set %1 time format milliseconds").arg(alias)).has_value();
    const auto length = mci(QStringLiteral("status %1 length").arg(alias));
    durationMs_ = inMs && length ? length->toLongLong() : 0;
    return durationMs_ > 0;
}

void MediaPlayerControl::releasePlayer() {
    idle_.cancel();
    poll_.stop();
    playing_ = false;
    if (alias_.isEmpty()) return;
    mci(QStringLiteral("close %1").arg(alias_));
    alias_.clear();
    --openDevices;
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
    opened_ = false;
    durationMs_ = 0;
    file_.clear();
}

void MediaPlayerControl::open(const QString& file, std::function<void(bool)> done) {
    close();
    const QFileInfo info(file);
    pending_ = done ? std::move(done) : [](bool) {};
    if (file.isEmpty() || !info.isFile() || !info.isReadable()) {
        endPending(false);
        return;
    }
    file_ = info.absoluteFilePath();
    if (!openDevice()) {
        close();
        return;
    }
    // The system has opened the file before it returns; the answer is still
    // given on a later turn, and a close or another open before then (or the
    // window going) cuts the open short, as everywhere else.
    later(this, [this] {
        auto done = std::move(pending_);
        pending_ = nullptr;
        if (!done) return;
        opened_ = true;
        done(true);
        watchIdle();
    });
}

void MediaPlayerControl::poll() {
    const auto mode = mci(QStringLiteral("status %1 mode").arg(alias_));
    if (mode && *mode == u"playing") return;
    poll_.stop();
    playing_ = false;
    // Played out: the next play starts from the beginning, as it does
    // after the end everywhere else.
    mci(QStringLiteral("seek %1 to start").arg(alias_));
    watchIdle();
    Q_EMIT finished();
}

void MediaPlayerControl::watchIdle() {
    const bool idle = !alias_.isEmpty() && !pending_ && !playing_;
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
    if (!opened_ || alias_.isEmpty()) return false;
    QString command = QStringLiteral("play %1").arg(alias_);
    if (positionMs >= 0) command += QStringLiteral(" from %1").arg(positionMs);
    playing_ = mci(command).has_value();
    if (playing_) poll_.start();
    watchIdle();
    return true;
}

void MediaPlayerControl::stop() {
    if (!opened_ || alias_.isEmpty()) return;
    mci(QStringLiteral("stop %1").arg(alias_));
    mci(QStringLiteral("seek %1 to start").arg(alias_));
    poll_.stop();
    playing_ = false;
    watchIdle();
}

int MediaPlayerControl::lengthSeconds() const {
    return opened_ ? int(durationMs_ / 1000) : 0;
}

bool MediaPlayerControl::hasPlayer() const {
    return !alias_.isEmpty();
}

bool MediaPlayerControl::isPlaying() const {
    return playing_;
}

}  // namespace rt
#endif
