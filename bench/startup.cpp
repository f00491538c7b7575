// Start-up cost: time from exec to the main window's first paint, as it
// begins and once the window is painted (and the processor time used by
// each), and the resident memory one second after start. Measured in the
// same run for Zorvik, for a bare Qt window (a label, a button and a menu),
// and for bench_content_floor: the bare window with only what Zorvik's
// window must show and do at start. No program that shows that window can
// start cheaper than the content alone; what Zorvik uses beyond it is its
// own cost. Needs a display (run under xvfb-run).
// Usage: bench_startup [path/to/zorvik] [runs]
//
// With --bare the program is itself the bare window.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>

#include "bare_window.h"
#include "program_copy.h"
#include "runtime/first_paint.h"

#ifdef Q_OS_WIN
#include <windows.h>
// After windows.h, which it builds on.
#include <psapi.h>
#endif

namespace {

#ifdef Q_OS_WIN
const QString kExe = QStringLiteral(".exe");
#else
const QString kExe;
#endif

int bareWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    BareWindow w;
    rt::FirstPaintProbe probe([&w](const QObject* o) { return o == &w; }, nullptr);
    w.show();
    return app.exec();
}

double residentMiB(qint64 pid) {
#ifdef Q_OS_WIN
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    PROCESS_MEMORY_COUNTERS counters{};
    const bool known = process && GetProcessMemoryInfo(process, &counters, sizeof counters);
    if (process) CloseHandle(process);
    return known ? double(counters.WorkingSetSize) / (1024.0 * 1024.0) : -1;
#else
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
#endif
}

// Wall clock and processor time as the first paint begins, and once the
// window is painted; resident memory after a second.
struct Sample {
    double paintMs = -1, cpuMs = -1;
    double paintedMs = -1, paintedCpuMs = -1;
    double rssMiB = -1;
};

Sample measure(const QString& program, const QStringList& args, const QString& folder) {
    QProcess p;
    p.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZORVIK_STARTUP_PROBE"), QStringLiteral("1"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    // A desktop session keeps the user's runtime folder in memory; without
    // one, Qt falls back to a folder on disk, where the single-instance
    // lock's synchronous write would be measured instead of the program.
#ifndef Q_OS_WIN
    static const QTemporaryDir runtime(QStringLiteral("/dev/shm/zorvik-bench-XXXXXX"));
    if (!env.contains(QStringLiteral("XDG_RUNTIME_DIR")) && runtime.isValid()) {
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    }
#endif
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    Sample s;
    QByteArray out;
    while (s.paintedMs < 0 && p.state() != QProcess::NotRunning && t.elapsed() < 15000) {
        p.waitForReadyRead(5);
        out += p.readAllStandardOutput();
        for (qsizetype end; (end = out.indexOf('\n')) >= 0; out.remove(0, end + 1)) {
            const QByteArray line = out.left(end);
            const double cpu = line.mid(line.indexOf("cpu=") + 4).toDouble();
            if (line.startsWith("first-paint cpu=")) {
                s.paintMs = double(t.nsecsElapsed()) / 1e6;
                s.cpuMs = cpu;
            } else if (line.startsWith("first-paint-done cpu=")) {
                s.paintedMs = double(t.nsecsElapsed()) / 1e6;
                s.paintedCpuMs = cpu;
            }
        }
    }
    while (t.elapsed() < 1000) QThread::msleep(10);
    s.rssMiB = residentMiB(p.processId());
    p.kill();
    p.waitForFinished();
    return s;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && QByteArray(argv[1]) == "--bare") return bareWindow(argc, argv);
    QCoreApplication app(argc, argv);
    const QString program = argc > 1
                                ? QString::fromLocal8Bit(argv[1])
                                : QCoreApplication::applicationDirPath() + "/../bin/zorvik" + kExe;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 7;
    // The program runs from a folder of its own, with its settings already
    // there, as on a user's machine after the first start.
    QTemporaryDir dir;
    const QString exe = copyProgramWithSettings(
        program, dir.path(),
        QStringLiteral("[计时]\r\n时=0\r\n分=25\r\n秒=0\r\n模式选择=倒计时\r\n"));
    const QString content = QCoreApplication::applicationDirPath() + "/bench_content_floor" + kExe;
    measure(exe, {}, dir.path());  // warm the file cache and fonts
    measure(content, {}, dir.path());
    struct Subject {
        const char* name;
        QString program;
        QStringList args;
        std::vector<Sample> samples{};
        double median(double Sample::*figure) const {
            std::vector<double> v;
            for (const Sample& s : samples) v.push_back(s.*figure);
            return ::median(v);
        }
        double ratio(const Subject& to, double Sample::*figure) const {
            return median(figure) / to.median(figure);
        }
    };
    Subject subjects[] = {{"zorvik      ", exe, {}},
                          {"content only", content, {}},
                          {"bare window ", QCoreApplication::applicationFilePath(), {"--bare"}}};
    for (int i = 0; i < runs; ++i)
        for (Subject& s : subjects) s.samples.push_back(measure(s.program, s.args, dir.path()));
    std::printf("runs: %d (medians; processor time in brackets)\n", runs);
    for (const Subject& s : subjects)
        std::printf(
            "%s first paint begins %.1f ms (%.1f ms), window painted %.1f ms (%.1f ms), "
            "resident after 1 s %.1f MiB\n",
            s.name, s.median(&Sample::paintMs), s.median(&Sample::cpuMs),
            s.median(&Sample::paintedMs), s.median(&Sample::paintedCpuMs),
            s.median(&Sample::rssMiB));
    const Subject &zorvik = subjects[0], &floor = subjects[1], &bare = subjects[2];
    auto compare = [](const char* what, const Subject& a, const Subject& b) {
        std::printf(
            "%s: first paint %.2f x (processor time %.2f x), painted %.2f x (%.2f x), "
            "memory %.2f x\n",
            what, a.ratio(b, &Sample::paintMs), a.ratio(b, &Sample::cpuMs),
            a.ratio(b, &Sample::paintedMs), a.ratio(b, &Sample::paintedCpuMs),
            a.ratio(b, &Sample::rssMiB));
    };
    compare("zorvik against the bare window", zorvik, bare);
    std::printf("  targets: first paint <= 1.10 x, memory <= 1.15 x\n");
    compare("the content alone against the bare window", floor, bare);
    compare("zorvik against the content alone", zorvik, floor);
    return 0;
}
