// What the beep and the end sound cost and how promptly they are heard: the
// whole program in this process on the steady clock, a sound server of its
// own (PulseAudio with a null sink, recorded), a 31-second countdown with a
// beep every 3 seconds and the end sound, then one speech clip (from an
// endpoint on 127.0.0.1) and one custom MP3 through the media player. Prints
// resident memory at idle, after each of these and 90 s after the last clip
// (the media player lets go of its player after 60 s idle), and for each
// sound the time from its due moment to its first sample heard. Takes about
// two and a half minutes: the wait for the release is real.
// Usage: bench_sound
// Needs pulseaudio and pulseaudio-utils.

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/program.h"
#include "common/pulse_server.h"
#include "common/sound_check.h"
#include "common/speech_endpoint.h"
#include "media/end_sound.h"
#include "media/media_backend.h"
#include "media/media_player.h"
#include "names/reminder_kinds.h"
#include "runtime/runtime.h"
#include "settings/config.h"
#include "timer/clock.h"
#include "timer/engine.h"

using namespace Qt::StringLiterals;

namespace {

const QString kMain = u"主窗口"_s;
constexpr int kRunSeconds = 31;
const QString kClip = QStringLiteral(ZORVIK_SOURCE_DIR "/tests/data/tone_2900ms.mp3");

// Keeps the due time of every pass of the engine.
class PassClock : public zorvik::SteadyClock {
  public:
    std::vector<TimePoint> dues;
    int schedule(TimePoint due, std::function<void()> fn) override {
        return SteadyClock::schedule(due, [this, due, fn = std::move(fn)] {
            dues.push_back(due);
            fn();
        });
    }
};

double residentMiB() {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ')[0].toDouble() / 1024;
    return -1;
}

// CPU time of this process's threads, the recording's own thread left out.
double cpuSeconds() {
    double ticks = 0;
    const QDir tasks(u"/proc/self/task"_s);
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(tid + u"/stat"_s));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        if (line.mid(line.indexOf('(') + 1, close - line.indexOf('(') - 1) == zt::kRecorderThread)
            continue;
        // After the name: state is field 3, user and system time fields 14 and 15.
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        ticks += fields.value(11).toDouble() + fields.value(12).toDouble();
    }
    return ticks / double(sysconf(_SC_CLK_TCK));
}

// Milliseconds from the latest pass due at or before heard (with a little
// slack: the recording's clock is known to a few milliseconds) to heard.
double lateness(const zt::Recording& r, const std::vector<zt::SteadyTime>& dues, double heard) {
    double best = 1e9;
    for (const auto& due : dues) {
        const double late = heard - r.secondsAt(due);
        if (late > -0.1 && late < best) best = late;
    }
    return best * 1000;
}

void printRange(const char* label, std::vector<double> v) {
    if (v.empty()) {
        std::printf("%-44s none heard\n", label);
        return;
    }
    std::sort(v.begin(), v.end());
    std::printf("%-44s median %6.1f ms  min %6.1f  max %6.1f  (%zu heard)\n", label,
                v[v.size() / 2], v.front(), v.back(), v.size());
}

// A countdown of seconds with a reminder of kind every 3 s.
void startRun(int seconds, zorvik::ReminderKind kind, bool endSound) {
    const auto set = [](const QString& control, int slot, const QVariant& v) {
        rt::setProperty(kMain, control, slot, v);
    };
    set(u"输入_时"_s, rt::slot::EditContent, u"0"_s);
    set(u"输入_分"_s, rt::slot::EditContent, u"0"_s);
    set(u"输入_秒"_s, rt::slot::EditContent, QString::number(seconds));
    set(u"提醒_编辑框"_s, rt::slot::EditContent, u"0.05"_s);
    set(u"提醒类型_组合框"_s, rt::slot::ComboSelection, zorvik::reminderKindIndex(kind));
    set(u"倒计时"_s, rt::slot::Checked, 1);
    set(u"结束音"_s, rt::slot::MenuChecked, endSound);
    rt::raiseEvent(kMain, u"开始"_s, rt::ev::Clicked);
}

void printMemory(const char* label) {
    std::printf("%-44s %6.1f MiB  (media players alive: %d)\n", label, residentMiB(),
                rt::detail::mediaPlayersAlive());
}

void report(const zt::Recording& r, const PassClock& clock, double idle, double after, double cpu) {
    const double endAt = r.secondsAt(clock.dues.back());
    std::vector<double> beeps, lengths, pitches, endSound;
    for (const zt::Burst& b : zt::bursts(r, 0.02)) {
        if (b.start > endAt - 0.1) break;
        beeps.push_back(lateness(r, clock.dues, b.start));
        lengths.push_back(b.length() * 1000);
        pitches.push_back(zt::pitchHz(r, b.start + 0.05, b.end - 0.05));
    }
    // The clip's first sample is silent: its first burst, less where that
    // burst lies in the clip, is when its first sample was heard.
    const zt::Samples clip = zt::waveSamples(rt::endSoundClip());
    const auto clipBursts = zt::bursts(clip, 0.02, 0.15);
    for (const zt::Burst& b : zt::bursts(r, 0.02, 0.15))
        if (b.start > endAt - 0.1 && !clipBursts.empty()) {
            endSound.push_back((b.start - clipBursts.front().start - endAt) * 1000);
            break;
        }
    std::printf("resident memory at idle                      %6.1f MiB\n", idle);
    std::printf(
        "after 10 beep reminders and the end sound    %6.1f MiB  (%.2f x idle, target <= 1.2)\n",
        after, after / idle);
    std::printf("CPU during the %d s run                       %6.2f s\n", kRunSeconds, cpu);
    printRange("beep: due second to first sample (<= 50)", beeps);
    printRange("beep: length heard (980)", lengths);
    std::sort(pitches.begin(), pitches.end());
    if (!pitches.empty())
        std::printf("%-44s %6.1f to %6.1f Hz\n", "beep: pitch heard (900)", pitches.front(),
                    pitches.back());
    printRange("end sound: run's end to first sample (<= 100)", endSound);
    std::printf("(times to within about 10 ms: the recording's clock is known that closely)\n");
}

// After the beeps: one speech clip, then one custom MP3, each the single
// reminder of a 4-second run, and the memory after each and 90 s after the
// last clip ended.
void mediaPhase(QApplication& app, rt::MediaPlayerControl* player) {
    auto* endpoint = new zt::SpeechEndpoint([](QTcpSocket* s, int) {
        QFile mp3(kClip);
        zt::SpeechEndpoint::reply(s, mp3.open(QIODevice::ReadOnly) ? mp3.readAll() : QByteArray());
    });
    endpoint->setParent(&app);
    zorvik::writeSetting(u"计时"_s, u"语音服务地址"_s, endpoint->address());
    zorvik::writeSetting(u"计时"_s, u"自定义音频路径"_s, kClip);
    auto* lastEnd = new QTimer(&app);
    lastEnd->setSingleShot(true);
    QObject::connect(player, &rt::MediaPlayerControl::finished, lastEnd,
                     [lastEnd] { lastEnd->start(90000); });
    QObject::connect(lastEnd, &QTimer::timeout, &app, [&app] {
        printMemory("90 s after the last clip");
        zorvik::stopEngine();
        rt::unloadAll();  // the window goes without asking
        app.quit();
    });
    startRun(4, zorvik::ReminderKind::Speech, false);
    // The clip falls due at 3 s and lasts 2.9 s; the speech file goes after it.
    QTimer::singleShot(10000, &app, [&app] {
        printMemory("after one speech clip");
        startRun(4, zorvik::ReminderKind::CustomAudio, false);
        QTimer::singleShot(10000, &app, [] { printMemory("after one custom MP3 clip"); });
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    zt::PulseServer server;
    if (!server.start()) {
        std::printf("no sound server: install pulseaudio and pulseaudio-utils\n");
        return 1;
    }
    QTemporaryDir dir;
    rt::setProgramDirectory(dir.path());
    PassClock clock;
    zorvik::setClock(&clock);
    zorvik::assembleProgram();
    rt::loadWindow(kMain);

    double idle = 0, cpuAtStart = 0;
    QTimer::singleShot(3000, &app, [&] {
        idle = residentMiB();
        if (!server.startRecording()) {
            std::printf("the sound server's monitor could not be recorded\n");
            app.exit(1);
            return;
        }
        cpuAtStart = cpuSeconds();
        startRun(kRunSeconds, zorvik::ReminderKind::Beep, true);
    });
    QTimer::singleShot(3000 + (kRunSeconds + 5) * 1000, &app, [&] {
        const double cpu = cpuSeconds() - cpuAtStart;
        report(server.recording(), clock, idle, residentMiB(), cpu);
        std::fflush(stdout);
        mediaPhase(app,
                   qobject_cast<rt::MediaPlayerControl*>(rt::controlObject(kMain, u"媒体播放1"_s)));
    });
    const int code = app.exec();
    zorvik::setClock(nullptr);
    return code;
}
