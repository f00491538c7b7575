#include "media/sound.h"

#include <QCoreApplication>
#include <QPointer>
#include <algorithm>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX  // keep std::min usable
#endif
#include <windows.h>
// After windows.h, which it builds on.
#include <mmsystem.h>

#include <QDeadlineTimer>

#include <mutex>
#else
#include "media/sound_player.h"
#include "runtime/runtime.h"
#endif

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

constexpr quint16 kPcm = 1, kFloat = 3, kExtensible = 0xFFFE;

// The format of a "fmt " chunk; invalid for sample layouts the players
// cannot play (24-bit, compressed, no channels or rate).
WaveFormat formatOf(const QByteArray& data, qsizetype at, quint32 size) {
    if (size < 16) return {};
    quint16 tag = readU16(data, at);
    if (tag == kExtensible && size >= 26) tag = readU16(data, at + 24);  // the sub-format
    const quint16 channels = readU16(data, at + 2);
    const quint32 rate = readU32(data, at + 4);
    const quint16 bits = readU16(data, at + 14);
    WaveFormat::SampleFormat sample = WaveFormat::Unknown;
    if (tag == kPcm && bits == 8) sample = WaveFormat::UInt8;
    if (tag == kPcm && bits == 16) sample = WaveFormat::Int16;
    if (tag == kPcm && bits == 32) sample = WaveFormat::Int32;
    if (tag == kFloat && bits == 32) sample = WaveFormat::Float;
    // The limits the sound servers take: 32 channels, 384 kHz.
    if (sample == WaveFormat::Unknown || channels == 0 || channels > 32 || rate == 0 ||
        rate > 384000)
        return {};
    return WaveFormat(sample, channels, int(rate));
}

#ifdef Q_OS_WIN
// The system plays from our memory while it sounds: the clip is kept here
// until the next play or stop has replaced it.
std::mutex playingMutex;
QByteArray playingClip;
QDeadlineTimer playingUntil;  // the system does not tell when a clip ends
#else
// Lives on the application thread; made when first needed.
SoundPlayer* service() {
    static QPointer<SoundPlayer> player;
    if (!player) player = new SoundPlayer(QCoreApplication::instance());
    return player;
}
#endif

}  // namespace

int WaveFormat::bytesPerFrame() const {
    const int bytes = sample_ == UInt8 ? 1 : sample_ == Int16 ? 2 : sample_ == Unknown ? 0 : 4;
    return bytes * channels_;
}

qint64 WaveFormat::durationForBytes(qint64 bytes) const {
    if (!isValid()) return 0;
    return bytes / bytesPerFrame() * 1'000'000 / rate_;
}

std::optional<WaveClip> decodeWave(const QByteArray& wav) {
    if (wav.size() < 12 || !wav.startsWith("RIFF") || wav.mid(8, 4) != "WAVE") return {};
    WaveFormat format;
    qsizetype at = 12;
    while (at + 8 <= wav.size()) {
        const QByteArray id = wav.mid(at, 4);
        const quint32 size = readU32(wav, at + 4);
        const qsizetype body = at + 8;
        if (id == "data") {
            if (!format.isValid()) return {};
            // Writers that stream leave the size open: take what is there,
            // in whole frames.
            qsizetype bytes = std::min<qsizetype>(size, wav.size() - body);
            bytes -= bytes % format.bytesPerFrame();
            return WaveClip{format, wav.mid(body, bytes)};
        }
        if (body + qsizetype(size) > wav.size()) return {};
        if (id == "fmt ") format = formatOf(wav, body, size);
        at = body + qsizetype(size) + (size & 1);  // chunks are padded to even length
    }
    return {};
}

#ifdef Q_OS_WIN
void prepareSound() {}

bool playSound(const QByteArray& wav) {
    const auto clip = decodeWave(wav);
    if (!clip) return false;
    std::lock_guard lock(playingMutex);
    ::PlaySoundW(nullptr, nullptr, 0);  // the old clip's memory may go now
    playingClip = wav;
    const bool started = ::PlaySoundW(reinterpret_cast<LPCWSTR>(playingClip.constData()), nullptr,
                                      SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
    playingUntil =
        QDeadlineTimer(started ? clip->format.durationForBytes(clip->samples.size()) / 1000 : 0);
    return true;
}

void stopSound() {
    std::lock_guard lock(playingMutex);
    ::PlaySoundW(nullptr, nullptr, 0);
    playingUntil = QDeadlineTimer(0);
}

bool soundPlaying() {
    std::lock_guard lock(playingMutex);
    return !playingUntil.hasExpired();
}
#else
void prepareSound() {
    postToGuiThread([] { service()->prepare(); });
}

bool playSound(const QByteArray& wav) {
    auto clip = decodeWave(wav);
    if (!clip) return false;
    postToGuiThread([clip = std::move(*clip)] { service()->play(clip); });
    return true;
}

void stopSound() {
    postToGuiThread([] { service()->stop(); });
}

bool soundPlaying() {
    return service()->isPlaying();
}
#endif

}  // namespace rt
