#include "media/sound_player.h"

#ifndef Q_OS_WIN
#include <pulse/pulseaudio.h>

#include <algorithm>

namespace rt {

namespace {

// The server asks for this much ahead of what it plays; everything beyond
// is handed over as it asks, from the connection's own thread.
constexpr qint64 kBufferUs = 250'000;

pa_sample_format_t sampleFormat(WaveFormat::SampleFormat f) {
    switch (f) {
        case WaveFormat::UInt8:
            return PA_SAMPLE_U8;
        case WaveFormat::Int16:
            return PA_SAMPLE_S16LE;
        case WaveFormat::Int32:
            return PA_SAMPLE_S32LE;
        case WaveFormat::Float:
            return PA_SAMPLE_FLOAT32LE;
        default:
            return PA_SAMPLE_INVALID;
    }
}

}  // namespace

// The window thread only says what it wants (under the loop's lock); the
// loop's own thread does all the talking to the server. Finding the server
// can mean a round trip to the X server, which the window thread never
// waits for.
struct SoundPlayer::Connection {
    struct Lock {
        explicit Lock(pa_threaded_mainloop* l) : loop(l) { pa_threaded_mainloop_lock(loop); }
        ~Lock() { pa_threaded_mainloop_unlock(loop); }
        pa_threaded_mainloop* loop;
    };

    SoundPlayer* owner;
    pa_threaded_mainloop* loop;
    // What the window thread wants.
    int attempt = 0;
    bool wanted = false;  // the clip of `attempt` playing
    bool connectWanted = false;
    pa_sample_spec sampleSpec{};
    QByteArray samples;
    // What the loop's thread has.
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    int streamAttempt = 0;
    qsizetype written = 0;

    explicit Connection(SoundPlayer* o) : owner(o), loop(pa_threaded_mainloop_new()) {
        pa_threaded_mainloop_start(loop);
    }

    ~Connection() {
        pa_threaded_mainloop_stop(loop);  // no callback runs after this
        dropStream();
        dropContext();
        pa_threaded_mainloop_free(loop);
    }

    // Window thread, lock held: the loop acts on what is wanted now.
    void request() {
        pa_mainloop_api_once(pa_threaded_mainloop_get_api(loop), &Connection::sync, this);
    }

    // Tells the window thread that play `which` has ended, delayMs from now.
    void tellEnded(int which, int delayMs = 0) const {
        QMetaObject::invokeMethod(
            owner,
            [o = owner, which, delayMs] {
                QTimer::singleShot(delayMs, o, [o, which] { o->ended(which); });
            },
            Qt::QueuedConnection);
    }

    static void sync(pa_mainloop_api*, void* data) { static_cast<Connection*>(data)->sync(); }

    void sync() {
        if (stream && (!wanted || streamAttempt != attempt)) dropStream();
        if (!wanted && !connectWanted) return;
        connectWanted = false;
        if (!connect()) {
            // No server: the play ends silent; the next one tries again.
            if (wanted) tellEnded(attempt);
            wanted = false;
            return;
        }
        if (wanted && !stream && pa_context_get_state(context) == PA_CONTEXT_READY) startStream();
    }

    // A connection that is up or on its way; a failed one is replaced.
    bool connect() {
        if (context && PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) return true;
        dropContext();
        context = pa_context_new(pa_threaded_mainloop_get_api(loop), "Zorvik");
        pa_context_set_state_callback(context, &Connection::contextChanged, this);
        // Never start a server of our own: the desktop runs one or none.
        pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
        return PA_CONTEXT_IS_GOOD(pa_context_get_state(context));
    }

    void startStream() {
        streamAttempt = attempt;
        written = 0;
        stream = pa_stream_new(context, "Zorvik", &sampleSpec, nullptr);
        if (!stream) return tellEnded(streamAttempt);
        pa_stream_set_state_callback(stream, &Connection::streamChanged, this);
        pa_stream_set_write_callback(stream, &Connection::writeMore, this);
        const auto ahead = uint32_t(
            std::min<qint64>(samples.size(), qint64(pa_usec_to_bytes(kBufferUs, &sampleSpec))));
        pa_buffer_attr attr{uint32_t(-1), ahead, uint32_t(-1), uint32_t(-1), uint32_t(-1)};
        const auto flags =
            pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
        if (pa_stream_connect_playback(stream, nullptr, &attr, flags, nullptr, nullptr) < 0)
            tellEnded(streamAttempt);
    }

    void dropStream() {
        if (!stream) return;
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_set_write_callback(stream, nullptr, nullptr);
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
        stream = nullptr;
    }

    void dropContext() {
        if (!context) return;
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
        context = nullptr;
    }

    static void contextChanged(pa_context* c, void* data) {
        auto* self = static_cast<Connection*>(data);
        const pa_context_state_t state = pa_context_get_state(c);
        if (state == PA_CONTEXT_READY) self->sync();
        // The server is gone (or never answered): the play ends silent.
        if (!PA_CONTEXT_IS_GOOD(state) && self->wanted) {
            self->wanted = false;
            self->tellEnded(self->attempt);
        }
    }

    static void streamChanged(pa_stream* s, void* data) {
        auto* self = static_cast<Connection*>(data);
        if (pa_stream_get_state(s) == PA_STREAM_FAILED) self->tellEnded(self->streamAttempt);
    }

    // The server asks for more: give it the next part, and once all is
    // given, ask it to say when all has been played.
    static void writeMore(pa_stream* s, size_t asked, void* data) {
        auto* self = static_cast<Connection*>(data);
        // A newer clip's samples are not this stream's to play.
        if (self->streamAttempt != self->attempt) return;
        const qsizetype left = self->samples.size() - self->written;
        if (left <= 0) return;
        const auto n = std::min<qsizetype>(left, qsizetype(asked));
        pa_stream_write(s, self->samples.constData() + self->written, size_t(n), nullptr, 0,
                        PA_SEEK_RELATIVE);
        self->written += n;
        if (self->written == self->samples.size())
            pa_operation_unref(pa_stream_drain(s, &Connection::drained, self));
    }

    // The server has taken the last sample into its mix; the sink still
    // holds about its latency's worth before that is heard.
    static void drained(pa_stream* s, int success, void* data) {
        auto* self = static_cast<Connection*>(data);
        if (!success || s != self->stream) return;
        pa_usec_t latency = 0;
        int negative = 0;
        if (pa_stream_get_latency(s, &latency, &negative) < 0 || negative) latency = 0;
        self->tellEnded(self->streamAttempt, int(latency / 1000) + 20);
    }
};

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent) {
    // A server that stops answering mid-clip never reports the end: the
    // clip is given up a while after it should have ended.
    guard_.setSingleShot(true);
    QObject::connect(&guard_, &QTimer::timeout, this, [this] {
        stop();
        Q_EMIT finished();
    });
}

SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::prepare() {
    if (!server_) server_ = std::make_unique<Connection>(this);
    Connection::Lock lock(server_->loop);
    server_->connectWanted = true;
    server_->request();
}

void SoundPlayer::play(const WaveClip& clip) {
    stop();
    if (!server_) server_ = std::make_unique<Connection>(this);
    const int attempt = ++attempt_;
    playing_ = true;
    guard_.start(int(clip.format.durationForBytes(clip.samples.size()) / 1000) + 2000);
    const pa_sample_spec sampleSpec{sampleFormat(clip.format.sampleFormat()),
                                    uint32_t(clip.format.sampleRate()),
                                    uint8_t(clip.format.channelCount())};
    if (clip.samples.isEmpty() || !pa_sample_spec_valid(&sampleSpec)) {
        QTimer::singleShot(0, this, [this, attempt] { ended(attempt); });  // silent
        return;
    }
    Connection::Lock lock(server_->loop);
    Connection& c = *server_;
    c.attempt = attempt;
    c.samples = clip.samples;
    c.sampleSpec = sampleSpec;
    c.wanted = true;
    c.request();
}

void SoundPlayer::stop() {
    ++attempt_;  // what the server still tells about this play is old news
    playing_ = false;
    guard_.stop();
    if (!server_) return;
    Connection::Lock lock(server_->loop);
    server_->wanted = false;
    server_->request();
}

void SoundPlayer::ended(int attempt) {
    if (attempt != attempt_ || !playing_) return;
    stop();
    Q_EMIT finished();
}

}  // namespace rt

#endif
