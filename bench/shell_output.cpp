// Streams 10 MiB of interpreter output into a multi-line edit box and prints
// how long until all of it is shown and the longest the event loop went
// without turning. Targets: all shown within 2 s, no stall over 50 ms.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>
#include <cstdio>

#include <sys/resource.h>
#include <ctime>

#include "shell/command_shell.h"

namespace {

constexpr qint64 kTotalBytes = 10 * 1024 * 1024;

// Appends the way the output panel does: at the end, then scrolled there.
void appendToBox(QPlainTextEdit& box, const QString& text) {
    QTextCursor cursor(box.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    box.verticalScrollBar()->setValue(box.verticalScrollBar()->maximum());
}

QByteArray peakMemory() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return "n/a";
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed();
    return "n/a";
}

// CPU time this process used, so figures from a busy machine can be judged.
double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
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

    QPlainTextEdit box;
    box.setStyleSheet(QStringLiteral("color: #00FF00; background: black;"));
    box.resize(317, 515);
    box.show();

    qint64 received = 0;
    int appends = 0;
    qint64 longestAppendNs = 0;
    zorvik::CommandShell shell;
    shell.setSink([&](const QString& text) {
        QElapsedTimer append;
        append.start();
        appendToBox(box, text);
        longestAppendNs = qMax(longestAppendNs, append.nsecsElapsed());
        received += text.size();
        ++appends;
        if (received >= kTotalBytes) app.quit();
    });
    if (shell.launch(zorvik::CommandShell::defaultInterpreter(), QDir::tempPath()) < 0) {
        std::fprintf(stderr, "could not start the interpreter\n");
        return 1;
    }

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
    QTimer::singleShot(20000, &app, [&] { app.exit(2); });

    const double cpuBefore = cpuSeconds();
    clock.start();
    ticker.start(1);
    shell.sendLine(
        QStringLiteral("yes 'Zorvik output line: 0123456789 abcdefghijklmnopqrstuvwxyz ABCDEF' "
                       "| head -c %1")
            .arg(kTotalBytes));
    const int code = app.exec();
    const qint64 totalMs = clock.elapsed();
    const double cpuUsed = cpuSeconds() - cpuBefore;
    shell.shutdown();

    std::printf("shell_output: %lld bytes shown in %lld ms (target 2000 ms)%s\n",
                static_cast<long long>(received), static_cast<long long>(totalMs),
                code == 2 ? " TIMED OUT" : "");
    std::printf(
        "  longest event-loop stall: %lld ms wall clock, %.1f ms of window-thread CPU "
        "(target 50 ms)\n",
        static_cast<long long>(longestGapMs), longestBusyMs);
    std::printf("  appends: %d, longest single append: %.1f ms, lines in box: %d\n", appends,
                longestAppendNs / 1e6, box.document()->blockCount());
    std::printf("  CPU time of this process meanwhile: %.0f ms; peak resident memory: %s\n",
                cpuUsed * 1000, peakMemory().constData());
    return 0;
}
