#include "runtime/sound.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QMediaPlayer>
#include <QPointer>
#include <QThread>
#include <QUrl>
#include <functional>

#include "runtime/media_backend.h"

namespace rt {

namespace {

// Byte by byte, so a short or empty array is never read past its end.
quint32 readLittle(const QByteArray& data, qsizetype at, int bytes) {
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | quint8(data.at(at + i));
    return value;
}

quint32 readU32(const QByteArray& data, qsizetype at) {
    return readLittle(data, at, 4);
}

quint16 readU16(const QByteArray& data, qsizetype at) {
    return quint16(readLittle(data, at, 2));
}

bool formatUsable(const QByteArray& data, qsizetype at, quint32 size) {
    if (size < 16) return false;
    const quint16 channels = readU16(data, at + 2);
    const quint32 rate = readU32(data, at + 4);
    const quint16 bits = readU16(data, at + 14);
    return channels > 0 && rate > 0 && bits > 0;
}

// Lives on the application thread; made when the first sound plays.
MemoryWavPlayer* service() {
    static QPointer<MemoryWavPlayer> player;
    if (!player) player = new MemoryWavPlayer(QCoreApplication::instance());
    return player;
}

void onAppThread(std::function<void()> fn) {
    auto* app = QCoreApplication::instance();
    if (!app) return;
    if (app->thread() == QThread::currentThread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

}  // namespace

bool isPlayableWave(const QByteArray& data) {
    if (data.size() < 12 || !data.startsWith("RIFF") || data.mid(8, 4) != "WAVE") return false;
    bool format = false;
    qsizetype at = 12;
    while (at + 8 <= data.size()) {
        const QByteArray id = data.mid(at, 4);
        const quint32 size = readU32(data, at + 4);
        const qsizetype body = at + 8;
        if (id == "data") return format;
        if (body + qsizetype(size) > data.size()) return false;
        if (id == "fmt ") format = formatUsable(data, body, size);
        at = body + qsizetype(size) + (size & 1);  // chunks are padded to even length
    }
    return false;
}

bool playSound(const QByteArray& wav) {
    if (!isPlayableWave(wav)) return false;
    onAppThread([wav] { service()->play(wav); });
    return true;
}

void stopSound() {
    onAppThread([] { service()->stop(); });
}

bool soundPlaying() {
    return service()->isPlaying();
}

MemoryWavPlayer::MemoryWavPlayer(QObject* parent) : QObject(parent) {}

MemoryWavPlayer::~MemoryWavPlayer() {
    stop();
}

// Every clip gets a player of its own, read from a buffer (see
// media_backend.h); the one before it is let go of as soon as that is safe.
void MemoryWavPlayer::play(const QByteArray& wav) {
    stop();
    player_ = detail::makeMediaPlayer(this);
    connect(player_, &QMediaPlayer::mediaStatusChanged, this, [this](auto status) {
        if (status != QMediaPlayer::EndOfMedia && status != QMediaPlayer::InvalidMedia) return;
        stop();  // an idle player holds its pipeline and threads for nothing
        Q_EMIT finished();
    });
    auto* buffer = new QBuffer;
    buffer->setData(wav);
    buffer->open(QIODevice::ReadOnly);
    // The name only tells the backend which demuxer to pick.
    detail::setMediaDevice(player_, buffer, QUrl(QStringLiteral("clip.wav")));
    player_->play();
}

void MemoryWavPlayer::stop() {
    if (player_) detail::disposeMediaPlayer(player_);
    player_ = nullptr;
}

bool MemoryWavPlayer::isPlaying() const {
    return player_ && player_->playbackState() == QMediaPlayer::PlayingState;
}

}  // namespace rt
