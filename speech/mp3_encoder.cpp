#include "speech/mp3_encoder.h"

#include <lame/lame.h>

#include <utility>

namespace speech {

namespace {

// Speech needs little: 48 kbit/s mono at 22 kHz is clear and ~6 KiB a second.
constexpr int kBitrate = 48;
// LAME's own guidance for the worst-case output of one encode call.
int worstCaseBytes(int samples) {
    return samples * 5 / 4 + 7200;
}

}  // namespace

struct Mp3Encoder::Lame {
    lame_global_flags* flags = lame_init();
    ~Lame() {
        if (flags) lame_close(flags);
    }
};

Mp3Encoder::Mp3Encoder(int sampleRate) : lame_(std::make_unique<Lame>()) {
    lame_global_flags* lame = lame_->flags;
    if (!lame) return;
    lame_set_num_channels(lame, 1);
    lame_set_mode(lame, MONO);
    lame_set_in_samplerate(lame, sampleRate);
    lame_set_out_samplerate(lame, sampleRate);
    lame_set_brate(lame, kBitrate);
    // 7 is LAME's "fast" setting; speech gains nothing audible from more.
    lame_set_quality(lame, 7);
    // Constant bitrate: players work the length out from the size, no
    // Info frame needed.
    lame_set_bWriteVbrTag(lame, 0);
    ok_ = lame_init_params(lame) >= 0;
}

Mp3Encoder::~Mp3Encoder() = default;

void Mp3Encoder::append(const short* samples, int count) {
    if (!ok_ || count <= 0) return;
    const qsizetype start = out_.size();
    out_.resize(start + worstCaseBytes(count));
    auto* buffer = reinterpret_cast<unsigned char*>(out_.data() + start);
    // LAME reads the right channel only in stereo; mono still wants a pointer.
    const int written =
        lame_encode_buffer(lame_->flags, samples, samples, count, buffer, worstCaseBytes(count));
    ok_ = written >= 0;
    any_ = true;
    out_.truncate(start + (ok_ ? written : 0));
}

QByteArray Mp3Encoder::finish() {
    if (!ok_ || !any_) return {};
    const qsizetype start = out_.size();
    out_.resize(start + 7200);
    const int flushed = lame_encode_flush(
        lame_->flags, reinterpret_cast<unsigned char*>(out_.data() + start), 7200);
    if (flushed < 0) return {};
    out_.truncate(start + flushed);
    return std::exchange(out_, QByteArray());
}

}  // namespace speech
