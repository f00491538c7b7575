// The sound service's WAV reading and the beep's tone. (Heard on a sound
// server: heard_sound_test.cpp.)

#include <gtest/gtest.h>

#include <QtEndian>

#include "media/beep.h"
#include "media/end_sound.h"
#include "media/sound.h"

namespace {

QByteArray header(const char* form) {
    QByteArray d("RIFF\0\0\0\0", 8);
    d.append(form);
    return d;
}

QByteArray chunk(const char* id, const QByteArray& body) {
    QByteArray d(id, 4);
    char size[4];
    qToLittleEndian<quint32>(quint32(body.size()), size);
    return d + QByteArray(size, 4) + body;
}

// A fmt chunk body: given tag, channels, rate and bits.
QByteArray format(quint16 channels, quint32 rate, quint16 bits = 16, quint16 tag = 1) {
    QByteArray f(16, '\0');
    qToLittleEndian<quint16>(tag, f.data());
    qToLittleEndian<quint16>(channels, f.data() + 2);
    qToLittleEndian<quint32>(rate, f.data() + 4);
    qToLittleEndian<quint16>(bits, f.data() + 14);
    return f;
}

QByteArray wave(const QByteArray& fmt, const QByteArray& data) {
    return header("WAVE") + chunk("fmt ", fmt) + chunk("data", data);
}

// Sign changes of the tone's samples; a sine of f Hz over t seconds has 2·f·t.
int zeroCrossings(const QByteArray& wav) {
    int crossings = 0;
    qint16 previous = 0;
    for (qsizetype at = 44; at + 1 < wav.size(); at += 2) {
        const auto s = qFromLittleEndian<qint16>(wav.constData() + at);
        if (s != 0 && previous != 0 && (s > 0) != (previous > 0)) ++crossings;
        if (s != 0) previous = s;
    }
    return crossings;
}

}  // namespace

TEST(SoundService, TakesOnlyWaveDataItCanPlay) {
    const auto clip = rt::decodeWave(rt::endSoundClip());
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->format.sampleRate(), 16000);
    EXPECT_EQ(clip->format.channelCount(), 1);
    EXPECT_EQ(clip->format.sampleFormat(), rt::WaveFormat::Int16);
    EXPECT_EQ(clip->samples, rt::endSoundClip().mid(78)) << "every sample, nothing else";

    const struct {
        const char* what;
        QByteArray wav;
        bool playable;
    } cases[] = {
        {"a tone", rt::toneWave(440, 50), true},
        {"odd-sized chunks padded to even length",
         header("WAVE") + chunk("LIST", "abc") + QByteArray(1, '\0') +
             chunk("fmt ", format(1, 8000)) + chunk("data", QByteArray(4, '\0')),
         true},
        {"8-bit", wave(format(2, 22050, 8), "xxxx"), true},
        {"32-bit float", wave(format(1, 48000, 32, 3), "xxxx"), true},
        {"no data", {}, false},
        {"text", "this is not a sound at all, just some text", false},
        {"not WAVE", header("AVI ") + chunk("fmt ", format(1, 8000)), false},
        {"samples without a format", header("WAVE") + chunk("data", "xx"), false},
        {"no channels", wave(format(0, 8000), "xx"), false},
        {"no rate", wave(format(1, 0), "xx"), false},
        {"more channels than a server takes", wave(format(33, 8000), "xx"), false},
        {"24-bit", wave(format(1, 8000, 24), "xxx"), false},
        {"compressed", wave(format(1, 8000, 4, 0x11), "xx"), false},
        {"format cut short", header("WAVE") + chunk("fmt ", "short") + chunk("data", "xx"), false},
        {"header cut short", (header("WAVE") + chunk("fmt ", format(1, 8000))).chopped(4), false},
    };
    for (const auto& c : cases) EXPECT_EQ(rt::isPlayableWave(c.wav), c.playable) << c.what;
    EXPECT_EQ(rt::decodeWave(wave(format(2, 8000), "abcdefg"))->samples, "abcd")
        << "whole frames only";
}

TEST(Beep, ToneIsASineOfTheAskedPitchAndLength) {
    const QByteArray wav = rt::toneWave(900, 980);
    ASSERT_TRUE(rt::isPlayableWave(wav));
    const qsizetype samples = (wav.size() - 44) / 2;
    EXPECT_EQ(samples, qsizetype(rt::kToneSampleRate) * 980 / 1000) << "0.98 s of samples";
    EXPECT_EQ(qFromLittleEndian<quint32>(wav.constData() + 40), quint32(samples * 2));
    EXPECT_EQ(qFromLittleEndian<quint32>(wav.constData() + 4), quint32(wav.size() - 8));
    EXPECT_NEAR(zeroCrossings(wav), 2 * 900 * 0.98, 4);

    // Faded at both ends so the speaker does not click.
    EXPECT_EQ(qFromLittleEndian<qint16>(wav.constData() + 44), 0);
    EXPECT_EQ(qFromLittleEndian<qint16>(wav.constData() + wav.size() - 2), 0);
    EXPECT_TRUE(rt::toneWave(900, 0).size() == 44);
}
