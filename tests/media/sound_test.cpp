// The beep and the sound service, heard on a sound server of the test's own.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <QtEndian>
#include <thread>

#include "common/pulse_server.h"
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

// No sound server at all: every sound is silent, the beep's caller still
// hears back at once, and nothing waits. A server that turns up later is
// used from the next sound on.
TEST(NoSoundServer, SoundsAreSilentAndNothingWaitsUntilAServerTurnsUp) {
    zt::PulseServer server;  // first: it puts the process's server setting back at the end
    qputenv("PULSE_SERVER", "unix:/nonexistent/zorvik/native");
    rt::prepareBeep();
    rt::prepareSound();
    int done = 0;
    for (int i = 0; i < 3; ++i) rt::beep(900, 980, [&] { ++done; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done == 3; }, 1500)) << "three beeps, no waiting";
    EXPECT_TRUE(rt::playSound(rt::endSoundClip()));
    EXPECT_TRUE(QTest::qWaitFor([] { return !rt::soundPlaying(); }, 500));

    ASSERT_TRUE(server.start());
    ASSERT_TRUE(server.startRecording());
    rt::beep(900, 980, [&] { ++done; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done == 4; }, 3000));
    const auto heard = zt::bursts(server.recording(), 0.02);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_NEAR(heard[0].length(), 0.98, 0.03);
}

class HeardSound : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.start()) << "needs pulseaudio and pulseaudio-utils";
        ASSERT_TRUE(server.startRecording());
    }
    // Seconds into the recording now.
    double now() const { return server.recording().secondsAt(std::chrono::steady_clock::now()); }

    zt::PulseServer server;
};

TEST_F(HeardSound, BeepsAre900HzTonesOf980msOneAfterAnother) {
    std::vector<std::pair<int, double>> ended;  // which beep, when
    QThread* doneThread = nullptr;
    const double asked = now();
    rt::beep(900, 980, [&] {
        ended.push_back({1, now()});
        doneThread = QThread::currentThread();
    });
    std::thread worker([&] { rt::beep(900, 980, [&] { ended.push_back({2, now()}); }); });
    worker.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended.size() == 2; }, 6000));
    EXPECT_EQ(doneThread, QCoreApplication::instance()->thread());
    EXPECT_EQ(ended[0].first, 1) << "in the order asked";

    const zt::Recording heard = server.recording();
    // Back to back: a single quiet 5 ms window between them tells them apart.
    const auto bursts = zt::bursts(heard, 0.02, 0.005);
    ASSERT_EQ(bursts.size(), 2u);
    EXPECT_NEAR(bursts[0].start, asked, 0.3);
    for (const zt::Burst& b : bursts) {
        EXPECT_NEAR(zt::pitchHz(heard, b.start + 0.05, b.end - 0.05), 900, 10);
        EXPECT_NEAR(b.length(), 0.98, 0.03);
    }
    EXPECT_GT(bursts[1].start, bursts[0].end) << "the second waits for the first";
    EXPECT_GE(ended[0].second, bursts[0].end - 0.05) << "done once the tone has been heard";
}

TEST_F(HeardSound, EndClipIsHeardWholeAndAgainFromItsStartWhenReplayed) {
    const zt::Samples clip = zt::waveSamples(rt::endSoundClip());
    const auto clipBursts = zt::bursts(clip, 0.02, 0.15);
    ASSERT_EQ(clipBursts.size(), 2u) << "two spoken bursts";

    const double first = now();
    ASSERT_TRUE(rt::playSound(rt::endSoundClip()));
    EXPECT_TRUE(rt::soundPlaying());
    QTest::qWait(600);  // into the first burst
    const double second = now();
    bool replayed = false;  // from a worker, as a reminder's thread would
    std::thread([&] { replayed = rt::playSound(rt::endSoundClip()); }).join();
    ASSERT_TRUE(replayed);
    EXPECT_FALSE(rt::playSound("RIFF....AVI ")) << "garbage is refused";
    ASSERT_TRUE(QTest::qWaitFor([] { return !rt::soundPlaying(); }, 5000));
    QTest::qWait(300);

    const zt::Recording heard = server.recording();
    const auto bursts = zt::bursts(heard, 0.02, 0.15);
    ASSERT_EQ(bursts.size(), 3u) << "a cut first burst, then the whole clip";
    EXPECT_NEAR(bursts[0].start - first, clipBursts[0].start, 0.1);
    EXPECT_NEAR(bursts[0].end, second, 0.1) << "cut where it was played again";
    const double offset = bursts[1].start - clipBursts[0].start;
    EXPECT_NEAR(offset, second, 0.1);
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(bursts[1 + i].start - offset, clipBursts[i].start, 0.05);
        EXPECT_NEAR(bursts[1 + i].end - offset, clipBursts[i].end, 0.05);
    }
    EXPECT_GT(zt::envelopeMatch(heard, offset, clip), 0.9) << "loudness follows the clip";
}

TEST_F(HeardSound, StopEndsTheClipAtOnce) {
    ASSERT_TRUE(rt::playSound(rt::endSoundClip()));
    QTest::qWait(500);
    const double stopped = now();
    rt::stopSound();
    EXPECT_FALSE(rt::soundPlaying());
    QTest::qWait(2500);
    const auto bursts = zt::bursts(server.recording(), 0.02, 0.15);
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_NEAR(bursts[0].end, stopped, 0.1);
}
