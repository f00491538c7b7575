// Streams a flood of interpreter output (50 MB by default, or the byte count
// given as the first argument; lines of "y", or with "long" as the third
// argument one endless line) through the real interpreter into the main
// window's command output panel, and prints how long until the end of it is
// shown, the longest the event loop went without turning, and the peak
// memory. Targets: no stall over 50 ms, memory flat whatever the size.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <cstdio>
#include <ctime>

#include "app/program.h"
#include "runtime/runtime.h"
#include "shell/table_command.h"

namespace {

const QString kMain = QStringLiteral("主窗口");
const QString kMarker = QStringLiteral("zorvik-flood-done");

qint64 memoryKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ')[0].toLongLong();
    return -1;
}

// CPU time of the window thread alone: on a machine shared with other work
// the wall-clock gaps also count time the thread was waiting for a core.
double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 totalBytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 50'000'000;
    const int limitSeconds = argc > 2 ? QByteArray(argv[2]).toInt() : 120;
    // "long": one endless line instead of the shortest lines there are.
    const bool oneLine = argc > 3 && QByteArray(argv[3]) == "long";

    QTemporaryDir folder;
    rt::setProgramDirectory(folder.path());
    zorvik::assembleProgram();
    if (!rt::loadWindow(kMain)) return 1;
    rt::setProperty(kMain, kMain, rt::slot::Width, 878);
    auto* panel =
        qobject_cast<QPlainTextEdit*>(rt::controlObject(kMain, QStringLiteral("编辑框_CMD输出")));
    if (!panel) return 1;
    const qint64 baselineKb = memoryKb("VmRSS:");
    // The panel's own sink, timed: the same append, counted.
    qint64 delivered = 0, appends = 0, longestAppendNs = 0;
    zorvik::commandShell().setSink([&](const QString& text) {
        QElapsedTimer append;
        append.start();
        rt::appendEditText(kMain, QStringLiteral("编辑框_CMD输出"), text);
        longestAppendNs = qMax(longestAppendNs, append.nsecsElapsed());
        delivered += text.size();
        ++appends;
    });

    // A 1 ms ticker: the gap between two ticks is how long the loop stood still.
    QElapsedTimer clock;
    qint64 lastTick = 0, longestGapMs = 0;
    double lastTickCpu = threadCpuMs(), longestBusyMs = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.callOnTimeout(&ticker, [&] {
        const qint64 now = clock.elapsed();
        longestGapMs = qMax(longestGapMs, now - lastTick);
        lastTick = now;
        const double cpuNow = threadCpuMs();
        longestBusyMs = qMax(longestBusyMs, cpuNow - lastTickCpu);
        lastTickCpu = cpuNow;
    });
    // The marker line follows the flood: once it shows, all of it has passed.
    QTimer watch;
    watch.callOnTimeout(&watch, [&] {
        const QTextBlock last = panel->document()->lastBlock();
        if (last.text().contains(kMarker) || last.previous().text().contains(kMarker))
            app.exit(0);  // quit() would ask the closing question
    });
    QTimer::singleShot(limitSeconds * 1000, &app, [&] { app.exit(2); });

    clock.start();
    ticker.start(1);
    watch.start(20);
    const QString flood = oneLine ? QStringLiteral("head -c %1 /dev/zero | tr '\\000' z")
                                  : QStringLiteral("yes | head -c %1");
    zorvik::commandShell().sendLine(flood.arg(totalBytes) + QStringLiteral("; echo; echo ") +
                                    kMarker);
    const int code = app.exec();
    const qint64 totalMs = clock.elapsed();
    const qint64 peakKb = memoryKb("VmHWM:");
    zorvik::shutdownCommandShell();

    std::printf("shell_output: %lld bytes through /bin/sh into the panel: %s in %lld ms\n",
                static_cast<long long>(totalBytes), code == 2 ? "NOT DONE" : "done",
                static_cast<long long>(totalMs));
    std::printf(
        "  longest event-loop stall: %lld ms wall clock, %.1f ms of window-thread CPU "
        "(target 50 ms)\n",
        static_cast<long long>(longestGapMs), longestBusyMs);
    std::printf("  %lld characters in %lld appends, longest append %.1f ms\n",
                static_cast<long long>(delivered), static_cast<long long>(appends),
                longestAppendNs / 1e6);
    std::printf("  memory: %lld MB before the flood, peak %lld MB; panel: %d lines, %d chars\n",
                static_cast<long long>(baselineKb / 1024), static_cast<long long>(peakKb / 1024),
                panel->document()->blockCount(), panel->document()->characterCount());
    return 0;
}
