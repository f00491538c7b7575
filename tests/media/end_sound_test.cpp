#include <gtest/gtest.h>
#include "test_paths.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cmath>

#include "media/end_sound.h"
#include "media/sound.h"

namespace {

constexpr int kRate = 16000;

std::vector<qint16> samples(const QByteArray& pcm) {
    std::vector<qint16> out(pcm.size() / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = qFromLittleEndian<qint16>(pcm.constData() + 2 * i);
    return out;
}

// Largest magnitude between two times, in seconds.
int peakBetween(const std::vector<qint16>& s, double from, double to) {
    int peak = 0;
    for (auto i = size_t(from * kRate); i < size_t(to * kRate) && i < s.size(); ++i)
        peak = std::max(peak, std::abs(int(s[i])));
    return peak;
}

double rmsBetween(const std::vector<qint16>& s, double from, double to) {
    double sum = 0;
    const auto first = size_t(from * kRate), last = size_t(to * kRate);
    for (auto i = first; i < last; ++i) sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(last - first));
}

}  // namespace

// The committed file, played as the sound service decodes it: 16 kHz mono
// 16-bit, two bursts between silences.
TEST(EndSoundClip, IsTheCommittedFileHeardAsTwoBurstsBetweenSilences) {
    QFile stored(QStringLiteral(ZORVIK_SOURCE_DIR "/media/end_sound.wav"));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(rt::endSoundClip(), stored.readAll());
    const auto wave = rt::decodeWave(rt::endSoundClip());
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->format.sampleRate(), kRate);
    EXPECT_EQ(wave->format.channelCount(), 1);
    EXPECT_EQ(wave->format.sampleFormat(), rt::WaveFormat::Int16);
    const auto s = samples(wave->samples);
    ASSERT_EQ(s.size(), 46656u);
    EXPECT_EQ(peakBetween(s, 0, 2.916), 17032);

    EXPECT_EQ(peakBetween(s, 0, 0.1), 0) << "the first 0.1 s is silent";
    EXPECT_EQ(peakBetween(s, 2.416, 2.916), 0) << "the last 0.5 s is silent";
    EXPECT_LT(peakBetween(s, 0.1, 0.18), 100);
    EXPECT_LT(peakBetween(s, 2.35, 2.416), 100);

    // Both bursts carry speech-level energy; the pause between them does not.
    EXPECT_GT(rmsBetween(s, 0.2, 1.0), 1500);
    EXPECT_GT(rmsBetween(s, 1.3, 2.3), 1500);
    EXPECT_LT(rmsBetween(s, 1.05, 1.25), 50);
    EXPECT_GT(peakBetween(s, 0.2, 0.4), 3000);
    EXPECT_GT(peakBetween(s, 0.8, 1.0), 3000);
    EXPECT_GT(peakBetween(s, 1.3, 1.5), 3000);
    EXPECT_GT(peakBetween(s, 2.1, 2.3), 3000);
}
