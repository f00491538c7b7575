// Reminders that play through the media player, heard on a sound server of
// the test's own: speech from an endpoint on 127.0.0.1 and the user's own
// MP3, WAV and MIDI files, with the program's clock a manual one. Only the
// playback takes real time.

#include <QMediaPlayer>
#include <QProcess>
#include <QtEndian>

#include "common/speech_endpoint.h"
#include "media/beep.h"
#include "media/media_backend.h"
#include "media/media_player.h"
#include "sound/heard_program.h"
#include "timer/delivery.h"

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// Two half-second 600 Hz tones half a second apart: where a clip has sound
// and where it has none.
zt::Samples twoTones() {
    zt::Samples tone = zt::waveSamples(rt::toneWave(600, 500));
    zt::Samples s{tone.values, tone.rate};
    s.values.resize(s.values.size() * 2, 0);
    s.values.insert(s.values.end(), tone.values.begin(), tone.values.end());
    return s;
}

QByteArray toMp3(const QByteArray& wav, const QString& folder) {
    QFile in(folder + u"/in.wav"_s);
    if (!in.open(QIODevice::WriteOnly) || in.write(wav) != wav.size()) return {};
    in.close();
    QProcess lame;
    lame.start(u"lame"_s, {u"--quiet"_s, in.fileName(), folder + u"/out.mp3"_s});
    if (!lame.waitForFinished(10000) || lame.exitCode() != 0) return {};
    QFile out(folder + u"/out.mp3"_s);
    return out.open(QIODevice::ReadOnly) ? out.readAll() : QByteArray();
}

// The same two notes as a MIDI file: an organ's A4 (held level, as the
// tones are) for 0.5 s, a rest of 0.5 s, the note again. 96 ticks to a
// quarter note at the default 120 beats a minute: 96 ticks are 0.5 s.
QByteArray twoNotesMidi() {
    const QByteArray track = QByteArray::fromHex(
        "00C010"      // organ
        "00904564"    // A4 on
        "60804500"    // off after 0.5 s
        "60904564"    // on after a rest of 0.5 s
        "60804500"    // off after 0.5 s
        "00FF2F00");  // end of track
    QByteArray length(4, 0);
    qToBigEndian(quint32(track.size()), length.data());
    return QByteArray::fromHex("4D546864000000060000000100604D54726B") + length + track;
}

class HeardMedia : public zt::HeardProgramTest {
  protected:
    void SetUp() override {
        zt::HeardProgramTest::SetUp();
        if (HasFatalFailure()) return;
        QObject::connect(control(), &rt::MediaPlayerControl::finished, &ends, [this] { ++ended; });
    }

    rt::MediaPlayerControl* control() const {
        return qobject_cast<rt::MediaPlayerControl*>(rt::controlObject(zt::kMain, u"媒体播放1"_s));
    }
    QString write(const QString& name, const QByteArray& bytes) {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    void useFile(const QString& file) {
        zorvik::writeSetting(u"计时"_s, u"自定义音频路径"_s, file);
    }
    // A run with a reminder every 3 s, counted to its first reminder and
    // paused there, so that the clock is free for what the test does next.
    void remindOnce(zorvik::ReminderKind kind) {
        chooseKind(kind);
        set(u"提醒_编辑框"_s, rt::slot::EditContent, u"0.05"_s);
        setTime(0, 5, 0);
        click(u"开始"_s);
        resumeToNextReminder();
    }
    void resumeToNextReminder() {
        if (startCaption() != u"暂停"_s) click(u"开始"_s);
        asked = std::chrono::steady_clock::now();
        clock.advanceSeconds(3);
        click(u"开始"_s);
    }
    // What was heard from the last reminder on, once the player says its
    // medium ended (and a little after, for the sink to drain).
    std::vector<zt::Burst> heard(zt::Recording& r, double threshold = 0.02) {
        const int before = ended;
        EXPECT_TRUE(zt::waitUntil([&] { return ended > before; }, 6000)) << "played to its end";
        zt::pause(400);
        r = server.recording();
        std::vector<zt::Burst> out;
        for (const zt::Burst& b : zt::bursts(r, threshold, 0.1))
            if (b.start >= r.secondsAt(asked)) out.push_back(b);
        return out;
    }
    // Heard as the two tones: sound and silence where the clip has them.
    void expectTwoTones(const char* what) {
        zt::Recording r;
        const auto b = heard(r);
        ASSERT_EQ(b.size(), 2u) << what;
        EXPECT_NEAR(b[0].length(), 0.5, 0.06) << what;
        EXPECT_NEAR(b[1].start - b[0].start, 1.0, 0.06) << what;
        EXPECT_NEAR(zt::pitchHz(r, b[0].start + 0.05, b[0].end - 0.05), 600, 10) << what;
        EXPECT_GT(zt::envelopeMatch(r, b[0].start, twoTones()), 0.9) << what;
    }

    zt::SteadyTime asked;
    QObject ends;
    int ended = 0;
};

TEST_F(HeardMedia, SpeechFromTheEndpointIsHeardAsTheClipHasIt) {
    const QByteArray mp3 = toMp3(zt::waveFile(twoTones()), dir.path());
    ASSERT_FALSE(mp3.isEmpty()) << "needs lame";
    zt::SpeechEndpoint endpoint([&](QTcpSocket* s, int) { zt::SpeechEndpoint::reply(s, mp3); });
    zorvik::writeSetting(u"计时"_s, u"语音服务地址"_s, endpoint.address());
    remindOnce(zorvik::ReminderKind::Speech);
    expectTwoTones("speech");
    EXPECT_EQ(endpoint.requests.size(), 1);
}

// MIDI goes through the soundfont synthesizer, some 35 dB below full scale:
// its notes are heard where they are, the first a little longer for the
// instrument's release (the last one's is cut where the file ends).
TEST_F(HeardMedia, OwnMp3WavAndMidiFilesAreHeardWhereTheyHaveSound) {
    const QByteArray wav = zt::waveFile(twoTones());
    useFile(write(u"own.mp3"_s, toMp3(wav, dir.path())));
    remindOnce(zorvik::ReminderKind::CustomAudio);
    expectTwoTones("mp3");

    useFile(write(u"own.wav"_s, wav));
    resumeToNextReminder();
    expectTwoTones("wav");

    useFile(write(u"own.mid"_s, twoNotesMidi()));
    resumeToNextReminder();
    zt::Recording r;
    const auto b = heard(r, 0.005);
    ASSERT_EQ(b.size(), 2u) << "midi";
    EXPECT_NEAR(b[0].length(), 0.5, 0.25);
    EXPECT_NEAR(b[1].start - b[0].start, 1.0, 0.06);
}

// Qt 6.4 keeps a player's error: junk in the user's file must not leave
// the next file silent.
TEST_F(HeardMedia, AFileThatFailsToOpenLeavesTheNextOneHeard) {
    useFile(write(u"junk.mp3"_s, QByteArray(8000, '\x5a')));
    remindOnce(zorvik::ReminderKind::CustomAudio);
    ASSERT_TRUE(zt::waitUntil([&] { return zorvik::pendingDeliveries() == 0; }));
    EXPECT_FALSE(control()->hasPlayer()) << "a failed open keeps no player";
    zt::pause(300);
    EXPECT_TRUE(zt::bursts(server.recording(), 0.02).empty());

    useFile(write(u"own.wav"_s, zt::waveFile(twoTones())));
    resumeToNextReminder();
    expectTwoTones("after junk");
}

// A player that played out is let go of after a minute idle, never while it
// plays, and a new one is made for the next reminder, even one that comes
// while the old is still being let go of.
TEST_F(HeardMedia, IdlePlayerIsLetGoAfterAMinuteAndMadeAgain) {
    useFile(write(u"own.wav"_s, zt::waveFile(twoTones())));
    remindOnce(zorvik::ReminderKind::CustomAudio);
    ASSERT_TRUE(zt::waitUntil([&] {
        return control()->player() &&
               control()->player()->playbackState() == QMediaPlayer::PlayingState;
    }));
    clock.advance(2min);  // playing: the clip is not cut
    expectTwoTones("played through a virtual minute");
    ASSERT_TRUE(control()->hasPlayer());

    clock.advance(59s);
    EXPECT_TRUE(control()->hasPlayer()) << "kept a while for nothing but its release";
    // From the event loop, as the clock's deadlines fire in the program: the
    // release, and the next reminder before the old player is gone.
    QPointer<QMediaPlayer> old = control()->player();
    bool released = false;
    QTimer::singleShot(0, &ends, [&] {
        clock.advance(1s);
        released = !control()->hasPlayer();
        EXPECT_EQ(control()->lengthSeconds(), 0);
        resumeToNextReminder();
    });
    ASSERT_TRUE(zt::waitUntil([&] { return released; }));
    EXPECT_TRUE(zt::waitUntil([&] { return !old; })) << "the old player is deleted";
    expectTwoTones("after the release");
    EXPECT_EQ(rt::detail::mediaPlayersAlive(), 1);
}

}  // namespace
