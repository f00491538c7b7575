// Reminders of every kind that plays through the media player, heard from
// the whole program as a new user has it: nothing configured, so speech
// comes from the program's own service, and the user's own files are what
// speech tools and MIDI editors make (a 22.05 kHz MP3 as espeak-ng and LAME
// write it to a stream, a MIDI note of half a second). Each case is a run
// on the steady clock with a reminder every 0.1 minute; each reminder must
// be heard, all of it.

#include <QProcess>
#include <QtEndian>
#include <string_view>

#include "sound/heard_program.h"
#include "test_paths.h"

using namespace Qt::StringLiterals;

namespace {

using zorvik::ReminderKind;

constexpr double kInterval = 6;  // seconds: 0.1 minute

struct Case {
    const char* name;
    ReminderKind kind;
    const char* file;     // the own audio file ("" for speech)
    double threshold;     // loudness that counts as sound (MIDI plays quietly)
    double soundSeconds;  // how much sound each reminder must bring, at least
};
void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

// Speech as a speech service makes it: espeak-ng's 22.05 kHz voice, LAME at
// a constant rate and no header frame (a stream cannot be rewound to write
// one). Returns the file and the seconds of sound its source has.
std::pair<QString, double> speechMp3(const QString& folder) {
    const QString wav = folder + u"/speech.wav"_s, mp3 = folder + u"/speech.mp3"_s;
    const bool made = QProcess::execute(u"espeak-ng"_s, {u"-v"_s, u"cmn"_s, u"-w"_s, wav,
                                                         u"请注意，间隔提醒时间到了！"_s}) == 0 &&
                      QProcess::execute(u"lame"_s, {u"--quiet"_s, u"-t"_s, u"-m"_s, u"m"_s, u"-b"_s,
                                                    u"48"_s, wav, mp3}) == 0;
    QFile source(wav);
    if (!made || !source.open(QIODevice::ReadOnly)) return {};
    double sound = 0;
    for (const zt::Burst& b : zt::bursts(zt::waveSamples(source.readAll()), 0.02, 0.3))
        sound += b.length();
    return {mp3, sound};
}

// An organ's A4, held for half a second (96 ticks to a quarter note at the
// default 120 beats a minute).
QString shortMidi(const QString& folder) {
    const QByteArray track = QByteArray::fromHex(
        "00C010"
        "00904564"
        "60804500"
        "00FF2F00");
    QByteArray length(4, 0);
    qToBigEndian(quint32(track.size()), length.data());
    QFile f(folder + u"/short.mid"_s);
    if (!f.open(QIODevice::WriteOnly)) return {};
    f.write(QByteArray::fromHex("4D546864000000060000000100604D54726B") + length + track);
    return f.fileName();
}

class HeardReminders : public zt::HeardProgramTest, public ::testing::WithParamInterface<Case> {
  protected:
    void prepareFolder() override {
        ASSERT_TRUE(QFile::link(QStringLiteral(ZORVIK_BINARY_DIR "/bin/zorvik-speech"),
                                path(u"zorvik-speech"_s)))
            << "build zorvik-speech first";
    }
};

TEST_P(HeardReminders, EveryReminderIsHeardWhole) {
    const Case& c = GetParam();
    double soundSeconds = c.soundSeconds;
    if (std::string_view(c.file) == "speech.mp3") {
        auto [file, sound] = speechMp3(dir.path());
        ASSERT_FALSE(file.isEmpty()) << "needs espeak-ng and lame";
        zorvik::writeSetting(u"计时"_s, u"自定义音频路径"_s, file);
        soundSeconds = 0.9 * sound;
    } else if (std::string_view(c.file) == "short.mid") {
        zorvik::writeSetting(u"计时"_s, u"自定义音频路径"_s, shortMidi(dir.path()));
    }
    zorvik::setClock(nullptr);  // real seconds
    chooseKind(c.kind);
    set(u"提醒_编辑框"_s, rt::slot::EditContent, u"0.1"_s);
    setTime(0, 1, 0);
    const auto started = std::chrono::steady_clock::now();
    click(u"开始"_s);
    // Two reminders, each given until the next would fall due.
    zt::pause(int((3 * kInterval - 0.3) * 1000));

    const zt::Recording r = server.recording();
    for (int n = 1; n <= 2; ++n) {
        const double due = r.secondsAt(started) + n * kInterval;
        double heard = 0;
        for (const zt::Burst& b : zt::bursts(r, c.threshold, 0.3))
            if (b.start >= due && b.start < due + kInterval) heard += b.length();
        EXPECT_GE(heard, soundSeconds) << c.name << ": reminder " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(
    NothingConfigured, HeardReminders,
    ::testing::Values(Case{"speech", ReminderKind::Speech, "", 0.02, 2.0},
                      Case{"box and speech", ReminderKind::BoxAndSpeech, "", 0.02, 2.0},
                      Case{"speech mp3", ReminderKind::CustomAudio, "speech.mp3", 0.02, 0},
                      Case{"short midi", ReminderKind::CustomAudio, "short.mid", 0.005, 0.4}),
    [](const auto& info) {
        QString name = QString::fromLatin1(info.param.name);
        return name.remove(u' ').toStdString();
    });

}  // namespace
