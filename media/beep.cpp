#include "media/beep.h"

#include <QCoreApplication>
#include <QPointer>
#include <QtEndian>
#include <cmath>
#include <deque>
#include <numbers>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX  // keep std::min usable
#endif
#include <windows.h>

#include <thread>
#else
#include "media/sound_player.h"
#endif

#include "runtime/runtime.h"

namespace rt {

namespace {

void appendU16(QByteArray& out, quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void appendU32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

QByteArray waveHeader(quint32 dataBytes) {
    QByteArray h;
    h.append("RIFF");
    appendU32(h, 36 + dataBytes);
    h.append("WAVEfmt ");
    appendU32(h, 16);
    appendU16(h, 1);  // PCM
    appendU16(h, 1);  // mono
    appendU32(h, kToneSampleRate);
    appendU32(h, kToneSampleRate * 2);
    appendU16(h, 2);
    appendU16(h, 16);
    h.append("data");
    appendU32(h, dataBytes);
    return h;
}

#ifndef Q_OS_WIN
// Plays queued tones one after another on the application thread.
class Beeper : public QObject {
  public:
    explicit Beeper(QObject* parent) : QObject(parent), player_(this) {
        connect(&player_, &SoundPlayer::finished, this, &Beeper::finishCurrent);
    }

    void prepare() { player_.prepare(); }

    void add(int hz, int ms, std::function<void()> done) {
        queue_.push_back({hz, ms, std::move(done)});
        if (!busy_) startNext();
    }

  private:
    struct Tone {
        int hz, ms;
        std::function<void()> done;
    };

    // Reminders beep the same tone every time: it is made once.
    const WaveClip& toneClip(int hz, int ms) {
        if (hz != toneHz_ || ms != toneMs_) {
            tone_ = *decodeWave(toneWave(hz, ms));
            toneHz_ = hz;
            toneMs_ = ms;
        }
        return tone_;
    }

    void startNext() {
        if (queue_.empty()) return;
        busy_ = true;
        const Tone& tone = queue_.front();
        player_.play(toneClip(tone.hz, tone.ms));
    }

    void finishCurrent() {
        if (!busy_) return;
        busy_ = false;
        auto done = std::move(queue_.front().done);
        queue_.pop_front();
        if (done) done();
        startNext();
    }

    SoundPlayer player_;
    std::deque<Tone> queue_;
    bool busy_ = false;
    WaveClip tone_;
    int toneHz_ = 0, toneMs_ = 0;
};

Beeper* beeper() {
    static QPointer<Beeper> instance;
    if (!instance) instance = new Beeper(QCoreApplication::instance());
    return instance;
}
#endif

}  // namespace

QByteArray toneWave(int hz, int ms) {
    const qint64 count = ms > 0 ? qint64(ms) * kToneSampleRate / 1000 : 0;
    const qint64 fade = std::min<qint64>(kToneSampleRate / 200, count / 2);  // 5 ms
    QByteArray wav = waveHeader(quint32(count * 2));
    wav.reserve(wav.size() + count * 2);
    const double step = 2 * std::numbers::pi * hz / kToneSampleRate;
    for (qint64 i = 0; i < count; ++i) {
        double gain = 0.5;
        const qint64 edge = std::min(i, count - 1 - i);
        if (edge < fade) gain *= double(edge) / fade;
        appendU16(wav, quint16(qint16(std::lround(32767 * gain * std::sin(step * i)))));
    }
    return wav;
}

void prepareBeep() {
#ifndef Q_OS_WIN
    postToGuiThread([] { beeper()->prepare(); });
#endif
}

void beep(int hz, int ms, std::function<void()> done) {
    if (hz <= 0 || ms <= 0) {
        if (done) postToGuiThread(std::move(done));
        return;
    }
#ifdef Q_OS_WIN
    std::thread([hz, ms, done = std::move(done)]() mutable {
        ::Beep(DWORD(hz), DWORD(ms));
        if (done) postToGuiThread(std::move(done));
    }).detach();
#else
    postToGuiThread(
        [hz, ms, done = std::move(done)]() mutable { beeper()->add(hz, ms, std::move(done)); });
#endif
}

}  // namespace rt
