#pragma once
// The sound service: plays a WAV clip held in memory, once, straight on the
// desktop's sound server (no decoder, no media pipeline). Only the
// end-of-run clip uses it, so stopping it never touches the media player
// controls. On Windows it is the system's own sound service.

#include <QByteArray>
#include <QtGlobal>
#include <optional>

namespace rt {

// How a clip's samples are laid out: what a sound server or the system's
// player needs to be told, and no more (the media framework is not linked
// where the system plays clips itself).
class WaveFormat {
  public:
    enum SampleFormat { Unknown, UInt8, Int16, Int32, Float };

    WaveFormat() = default;
    WaveFormat(SampleFormat sample, int channels, int rate)
        : sample_(sample), channels_(channels), rate_(rate) {}

    SampleFormat sampleFormat() const { return sample_; }
    int channelCount() const { return channels_; }
    int sampleRate() const { return rate_; }
    bool isValid() const { return sample_ != Unknown && channels_ > 0 && rate_ > 0; }
    int bytesPerFrame() const;
    // Playing time of that many bytes, in microseconds.
    qint64 durationForBytes(qint64 bytes) const;

  private:
    SampleFormat sample_ = Unknown;
    int channels_ = 0;
    int rate_ = 0;
};

// The samples of a WAV file and their format.
struct WaveClip {
    WaveFormat format;
    QByteArray samples;
};

// Reads a RIFF/WAVE file of PCM (8, 16 or 32 bits) or 32-bit float samples.
// Nothing for any other data, so the output is never handed bytes it would
// play as noise.
std::optional<WaveClip> decodeWave(const QByteArray& wav);
inline bool isPlayableWave(const QByteArray& wav) {
    return decodeWave(wav).has_value();
}

// Connects the service to the sound server ahead of a play, so that a later
// playSound only starts it. Callable from any thread.
void prepareSound();
// Stops a sound already playing through this service, then starts wav from
// its beginning and returns at once. False (and nothing stops) when wav is
// not a playable WAV file. With no sound server the sound is silent and
// the next call tries again. Callable from any thread.
bool playSound(const QByteArray& wav);
void stopSound();
// Whether the service is sounding now. Window thread only.
bool soundPlaying();

}  // namespace rt
