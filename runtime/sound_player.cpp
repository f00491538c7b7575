#include "runtime/sound_player.h"

#include <QAudioSink>
#include <QMediaDevices>

namespace rt {

namespace {

// The stream's buffer on the server. The whole clip is in memory, so a
// large buffer costs no delay at the start; it lets the window thread,
// which feeds the output, be busy for this long without a gap in the sound.
constexpr qint64 kBufferUs = 500'000;
// What the server holds beyond the stream's buffer (its own rendering).
constexpr int kSinkLatencyMs = 50;

}  // namespace

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent) {
    tail_.setSingleShot(true);
    connect(&tail_, &QTimer::timeout, this, [this] {
        stop();
        finish();
    });
    // A server that stops answering mid-clip never reports the end: the
    // clip is given up a while after it should have ended.
    guard_.setSingleShot(true);
    connect(&guard_, &QTimer::timeout, this, [this] {
        dropSink();
        finish();
    });
}

SoundPlayer::~SoundPlayer() {
    // The output reads from the buffer: it goes first.
    delete sink_;
}

void SoundPlayer::prepare(const QAudioFormat& format) {
    if (sink_ && sink_->format() == format) return;
    dropSink();
    // The default output now, not at start-up: a server that was missing
    // then, or came back since, is found.
    sink_ = new QAudioSink(QMediaDevices::defaultAudioOutput(), format, this);
    connect(sink_, &QAudioSink::stateChanged, this, &SoundPlayer::onStateChanged);
}

void SoundPlayer::play(const WaveClip& clip) {
    stop();
    prepare(clip.format);
    buffer_.setData(clip.samples);
    buffer_.open(QIODevice::ReadOnly);
    const int attempt = ++attempt_;
    if (!sink_->isNull()) {
        // Without this the output keeps the buffer size of its previous
        // stream, which shrinks from one play to the next.
        sink_->setBufferSize(clip.format.bytesForDuration(kBufferUs));
        sink_->start(&buffer_);
        if (sink_->state() != QAudio::StoppedState) {
            playing_ = true;
            guard_.start(int(clip.format.durationForBytes(clip.samples.size()) / 1000) + 2000);
            return;
        }
    }
    // No sound server, or it refused the stream: silent. The output is
    // made again for the next play, which may find a server. The end is
    // told from the event loop, as it would be after a real clip.
    dropSink();
    QTimer::singleShot(0, this, [this, attempt] {
        if (attempt == attempt_) finish();
    });
}

void SoundPlayer::stop() {
    ++attempt_;  // a silent clip's pending end is not told either
    playing_ = false;
    tail_.stop();
    guard_.stop();
    if (sink_) sink_->stop();
    buffer_.close();
}

void SoundPlayer::onStateChanged() {
    if (!playing_ || !sink_ || tail_.isActive()) return;
    switch (sink_->state()) {
        case QAudio::IdleState: {
            // The output has taken the whole clip; what it has not played
            // yet is still in the server's buffer. Stopping now would cut it.
            const qsizetype queued =
                std::max<qsizetype>(0, sink_->bufferSize() - sink_->bytesFree());
            tail_.start(int(sink_->format().durationForBytes(queued) / 1000) + kSinkLatencyMs);
            break;
        }
        case QAudio::StoppedState:
            // The server went away mid-clip.
            dropSink();
            finish();
            break;
        default:
            break;
    }
}

void SoundPlayer::finish() {
    playing_ = false;
    tail_.stop();
    guard_.stop();
    buffer_.close();
    buffer_.setData(QByteArray());
    Q_EMIT finished();
}

void SoundPlayer::dropSink() {
    if (!sink_) return;
    sink_->disconnect(this);
    sink_->stop();
    // It may be reporting its state right now: delete it once that is over.
    sink_->deleteLater();
    sink_ = nullptr;
}

}  // namespace rt
