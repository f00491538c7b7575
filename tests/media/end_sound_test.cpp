#include <gtest/gtest.h>

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cmath>

#include "media/end_sound.h"
#include "media/sound.h"

namespace {

constexpr int kRate = 16000;
constexpr qsizetype kSamplesAt = 78;

quint32 u32(const QByteArray& d, int at) {
    return qFromLittleEndian<quint32>(d.constData() + at);
}
quint16 u16(const QByteArray& d, int at) {
    return qFromLittleEndian<quint16>(d.constData() + at);
}

std::vector<qint16> samples(const QByteArray& clip) {
    std::vector<qint16> out((clip.size() - kSamplesAt) / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = qFromLittleEndian<qint16>(clip.constData() + kSamplesAt + 2 * i);
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

TEST(EndSoundClip, HeaderMatchesEveryStoredField) {
    const QByteArray clip = rt::endSoundClip();
    ASSERT_EQ(clip.size(), 93390);
    EXPECT_EQ(clip.mid(0, 4), "RIFF");
    EXPECT_EQ(u32(clip, 4), 93382u);
    EXPECT_EQ(clip.mid(8, 4), "WAVE");
    EXPECT_EQ(clip.mid(12, 4), "fmt ");
    EXPECT_EQ(u32(clip, 16), 16u);
    EXPECT_EQ(u16(clip, 20), 1u);
    EXPECT_EQ(u16(clip, 22), 1u);
    EXPECT_EQ(u32(clip, 24), 16000u);
    EXPECT_EQ(u32(clip, 28), 32000u);
    EXPECT_EQ(u16(clip, 32), 2u);
    EXPECT_EQ(u16(clip, 34), 16u);
    EXPECT_EQ(clip.mid(36, 4), "LIST");
    EXPECT_EQ(u32(clip, 40), 26u);
    EXPECT_EQ(clip.mid(44, 4), "INFO");
    EXPECT_EQ(clip.mid(48, 4), "ISFT");
    EXPECT_EQ(u32(clip, 52), 14u);
    const QByteArray tag = clip.mid(56, 14);
    EXPECT_EQ(tag.indexOf('\0'), 13) << "13 characters, then the terminating zero";
    EXPECT_EQ(clip.mid(70, 4), "data");
    EXPECT_EQ(u32(clip, 74), 93312u);
}

TEST(EndSoundClip, IsTheCommittedFileByteForByte) {
    QFile stored(QStringLiteral(ZORVIK_SOURCE_DIR "/media/end_sound.wav"));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(rt::endSoundClip(), stored.readAll());
    EXPECT_TRUE(rt::isPlayableWave(rt::endSoundClip()));
}

TEST(EndSoundClip, TwoBurstsBetweenSilences) {
    const auto s = samples(rt::endSoundClip());
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
