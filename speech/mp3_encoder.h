#pragma once
// Mono 16-bit PCM to MP3 with LAME, fed chunk by chunk as the synthesizer
// produces it, so a long text never holds its whole waveform in memory.

#include <QByteArray>
#include <memory>

namespace speech {

class Mp3Encoder {
  public:
    // sampleRate 16–24 kHz keeps it MPEG-2: small, and quick to encode.
    explicit Mp3Encoder(int sampleRate);
    ~Mp3Encoder();
    Mp3Encoder(const Mp3Encoder&) = delete;
    Mp3Encoder& operator=(const Mp3Encoder&) = delete;

    bool isOk() const { return ok_; }
    void append(const short* samples, int count);
    // The whole MP3; empty when LAME failed on the way or nothing was appended.
    QByteArray finish();

  private:
    struct Lame;
    std::unique_ptr<Lame> lame_;
    QByteArray out_;
    bool ok_ = false;
    bool any_ = false;
};

}  // namespace speech
