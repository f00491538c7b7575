#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QtEndian>
#include <thread>

#include "runtime/beep.h"
#include "runtime/end_sound.h"
#include "runtime/sound.h"

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

// A fmt chunk body: PCM, given channels and rate, 16 bits.
QByteArray format(quint16 channels, quint32 rate) {
    QByteArray f(16, '\0');
    qToLittleEndian<quint16>(1, f.data());
    qToLittleEndian<quint16>(channels, f.data() + 2);
    qToLittleEndian<quint32>(rate, f.data() + 4);
    qToLittleEndian<quint16>(16, f.data() + 14);
    return f;
}

// Counts sign changes of the tone's samples; a sine of f Hz over t seconds has 2·f·t.
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

TEST(SoundService, AcceptsOnlyPlayableWaveData) {
    EXPECT_TRUE(rt::isPlayableWave(rt::endSoundClip()));
    EXPECT_TRUE(rt::isPlayableWave(rt::toneWave(440, 50)));
    const QByteArray odd = header("WAVE") + chunk("LIST", "abc") + QByteArray(1, '\0') +
                           chunk("fmt ", format(1, 8000)) + chunk("data", QByteArray(4, '\0'));
    EXPECT_TRUE(rt::isPlayableWave(odd)) << "odd-sized chunks are padded to even length";

    EXPECT_FALSE(rt::isPlayableWave({}));
    EXPECT_FALSE(rt::isPlayableWave("this is not a sound at all, just some text"));
    EXPECT_FALSE(rt::isPlayableWave(header("AVI ") + chunk("fmt ", format(1, 8000))));
    EXPECT_FALSE(rt::isPlayableWave(header("WAVE") + chunk("data", "xx")))
        << "samples without a format";
    EXPECT_FALSE(
        rt::isPlayableWave(header("WAVE") + chunk("fmt ", format(0, 8000)) + chunk("data", "xx")));
    EXPECT_FALSE(
        rt::isPlayableWave(header("WAVE") + chunk("fmt ", format(1, 0)) + chunk("data", "xx")));
    EXPECT_FALSE(rt::isPlayableWave(header("WAVE") + chunk("fmt ", "short") + chunk("data", "xx")));
    const QByteArray cut = header("WAVE") + chunk("fmt ", format(1, 8000));
    EXPECT_FALSE(rt::isPlayableWave(cut.left(cut.size() - 4))) << "a header cut short";
}

TEST(SoundService, PlaysRestartsAndStops) {
    EXPECT_FALSE(rt::playSound("garbage"));
    EXPECT_FALSE(rt::soundPlaying());

    EXPECT_TRUE(rt::playSound(rt::endSoundClip()));
    EXPECT_TRUE(QTest::qWaitFor([] { return rt::soundPlaying(); }, 3000));

    // Garbage is refused without cutting off what is playing.
    EXPECT_FALSE(rt::playSound("RIFF....AVI "));
    EXPECT_TRUE(rt::soundPlaying());

    // Playing again while it plays starts over instead of failing.
    EXPECT_TRUE(rt::playSound(rt::endSoundClip()));
    EXPECT_TRUE(QTest::qWaitFor([] { return rt::soundPlaying(); }, 3000));

    rt::stopSound();
    EXPECT_FALSE(rt::soundPlaying());
}

TEST(SoundService, ShortClipPlaysToItsEndAndMayComeFromAWorker) {
    bool accepted = false;
    std::thread worker([&] { accepted = rt::playSound(rt::toneWave(700, 300)); });
    worker.join();
    EXPECT_TRUE(accepted);
    EXPECT_TRUE(QTest::qWaitFor([] { return rt::soundPlaying(); }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([] { return !rt::soundPlaying(); }, 5000))
        << "a 0.3 s clip plays once and ends";
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

TEST(Beep, DoneRunsOnTheWindowThreadWhenEachToneIsOver) {
    QElapsedTimer clock;
    clock.start();
    std::vector<std::pair<int, qint64>> ended;  // which tone, when
    QThread* doneThread = nullptr;
    rt::beep(900, 980, [&] {
        ended.push_back({1, clock.elapsed()});
        doneThread = QThread::currentThread();
    });
    std::thread worker([&] { rt::beep(600, 200, [&] { ended.push_back({2, clock.elapsed()}); }); });
    worker.join();

    ASSERT_TRUE(QTest::qWaitFor([&] { return ended.size() == 2; }, 10000));
    EXPECT_EQ(doneThread, QCoreApplication::instance()->thread());
    EXPECT_EQ(ended[0].first, 1) << "tones sound one after another, in order";
    EXPECT_GE(ended[0].second, 900) << "done waits for the 0.98 s tone";
    EXPECT_GE(ended[1].second, ended[0].second + 150);

    bool silentDone = false;
    rt::beep(0, 500, [&] { silentDone = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return silentDone; }, 1000));
}
