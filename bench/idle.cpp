// What a timer that runs all day costs the machine: CPU milliseconds per
// minute and wake-ups per second, for Zorvik idle and counting, beside a
// bare Qt window (a label, a button and a menu) idle and a bare label that
// a precise timer redraws once a second, all under the same X server in
// one run. Needs a display (run under xvfb-run) and xdotool, which starts
// the run the way a user's hotkey does. Given an earlier build as well, it
// measures that one too, so a change shows before and after in one run.
// Usage: bench_idle [path/to/zorvik] [seconds per subject] [path/to/earlier/zorvik]
//
// Each subject is left alone for 12 s first: start-up is another
// benchmark's business, and a caret blinks for the first 10 s after the
// last key press or click, as it does for a user who then leaves the timer
// alone.
//
// With --bare-idle or --bare-tick the program is itself the bare window.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

#include "names/reminder_kinds.h"
#include "program_copy.h"

namespace {

int bareWindow(int argc, char** argv, bool ticking) {
    QApplication app(argc, argv);
    QWidget w;
    auto* layout = new QVBoxLayout(&w);
    auto* bar = new QMenuBar(&w);
    bar->addMenu(QStringLiteral("程序"))->addAction(QStringLiteral("结束音"));
    layout->setMenuBar(bar);
    auto* label = new QLabel(QStringLiteral("00:00:00"));
    layout->addWidget(label);
    layout->addWidget(new QPushButton(QStringLiteral("开始")));
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, label, [label] {
        label->setText(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
    });
    if (ticking) tick.start(1000);
    w.show();
    return app.exec();
}

struct Usage {
    double cpuNs = 0;
    double switches = 0;
};

// CPU time from the scheduler's own accounting (nanoseconds, every thread),
// and context switches: a thread that sleeps and wakes costs one each time.
Usage usageOf(qint64 pid) {
    Usage u;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile sched(tasks.filePath(tid + QStringLiteral("/schedstat")));
        if (sched.open(QIODevice::ReadOnly))
            u.cpuNs += sched.readAll().split(' ').value(0).toDouble();
        QFile status(tasks.filePath(tid + QStringLiteral("/status")));
        if (!status.open(QIODevice::ReadOnly)) continue;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:") ||
                line.startsWith("nonvoluntary_ctxt_switches:"))
                u.switches += line.mid(line.indexOf(':') + 1).trimmed().toDouble();
    }
    return u;
}

void settle(int ms) {
    QThread::msleep(ulong(ms));
}

constexpr int kSettleMs = 12000;

struct Figures {
    double cpuMsPerMinute = -1;
    double wakeupsPerSecond = -1;
};

Figures measure(const QString& program, const QStringList& args, const QString& folder, int seconds,
                bool startRun) {
    QProcess p;
    p.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(program, args);
    Figures f;
    if (!p.waitForStarted()) return f;
    settle(kSettleMs);
    if (startRun) {
        // The stored start hotkey, pressed in the active main window.
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("F2")});
        settle(kSettleMs);
    }
    const Usage before = usageOf(p.processId());
    settle(seconds * 1000);
    const Usage after = usageOf(p.processId());
    p.kill();
    p.waitForFinished();
    f.cpuMsPerMinute = (after.cpuNs - before.cpuNs) / 1e6 * 60.0 / seconds;
    f.wakeupsPerSecond = (after.switches - before.switches) / seconds;
    return f;
}

void print(const char* what, const Figures& f) {
    std::printf("%-32s CPU %8.1f ms/min   wake-ups %7.1f /s\n", what, f.cpuMsPerMinute,
                f.wakeupsPerSecond);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && QByteArray(argv[1]) == "--bare-idle") return bareWindow(argc, argv, false);
    if (argc > 1 && QByteArray(argv[1]) == "--bare-tick") return bareWindow(argc, argv, true);
    QCoreApplication app(argc, argv);
    const QString zorvik = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QCoreApplication::applicationDirPath() + "/../bin/zorvik";
    const int seconds = argc > 2 ? std::max(5, atoi(argv[2])) : 60;
    // A folder of its own with settings as a user has them after the first
    // start: a ten-hour countdown, interval reminders off, F2 as hotkey.
    QTemporaryDir dir;
    const QString exe = copyProgramWithSettings(
        zorvik, dir.path(),
        QStringLiteral("[计时]\r\n时=10\r\n分=0\r\n秒=0\r\n模式选择=倒计时\r\n提醒类型=%1\r\n"
                       "间隔提醒时间=0\r\n最终结束音=假\r\n[热键配置]\r\n开始=113\r\n")
            .arg(zorvik::reminderKindIndex(zorvik::ReminderKind::Nothing)));
    const QString self = QCoreApplication::applicationFilePath();
    std::printf("%d s per subject, after %d s to settle\n", seconds, kSettleMs / 1000);
    const Figures idle = measure(exe, {}, dir.path(), seconds, false);
    print("zorvik idle", idle);
    const Figures running = measure(exe, {}, dir.path(), seconds, true);
    print("zorvik counting", running);
    if (argc > 3) {
        // The earlier build runs from the same folder, on the same settings.
        const QString earlier = dir.path() + "/zorvik-earlier";
        QFile::copy(QString::fromLocal8Bit(argv[3]), earlier);
        print("earlier zorvik idle", measure(earlier, {}, dir.path(), seconds, false));
        print("earlier zorvik counting", measure(earlier, {}, dir.path(), seconds, true));
    }
    const Figures bareIdle = measure(self, {"--bare-idle"}, dir.path(), seconds, false);
    print("bare window idle", bareIdle);
    const Figures bareTick = measure(self, {"--bare-tick"}, dir.path(), seconds, false);
    print("bare label ticking 1/s", bareTick);
    std::printf("targets: idle <= 12 ms/min; counting <= 1.5 x the ticking label (now %.2f x)\n",
                running.cpuMsPerMinute / bareTick.cpuMsPerMinute);
    return 0;
}
