// Start-up cost: time from exec to the main window's first paint (and the
// processor time used by then), and the resident memory one second after
// start, for Zorvik and for a bare Qt window (a label, a button and a menu)
// measured in the same run. Needs a display (run under xvfb-run).
// Usage: bench_startup [path/to/zorvik] [runs]
//
// With --bare the program is itself the bare window.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "program_copy.h"

namespace {

int bareWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow w;
    w.menuBar()->addMenu(QStringLiteral("设置"))->addAction(QStringLiteral("开始运行热键"));
    auto* central = new QWidget(&w);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(new QLabel(QStringLiteral("00:00:00")));
    layout->addWidget(new QPushButton(QStringLiteral("开始")));
    w.setCentralWidget(central);
    struct Probe : QObject {
        QWidget* target;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::Paint && o == target) {
                std::printf("first-paint cpu=%.1f\n",
                            1000.0 * double(std::clock()) / CLOCKS_PER_SEC);
                std::fflush(stdout);
                qApp->removeEventFilter(this);
            }
            return false;
        }
    } probe;
    probe.target = &w;
    app.installEventFilter(&probe);
    w.show();
    return app.exec();
}

double residentMiB(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

struct Sample {
    double paintMs = -1;
    double cpuMs = -1;
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
    static const QTemporaryDir runtime(QStringLiteral("/dev/shm/zorvik-bench-XXXXXX"));
    if (!env.contains(QStringLiteral("XDG_RUNTIME_DIR")) && runtime.isValid()) {
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    }
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    Sample s;
    QByteArray out;
    while (p.state() != QProcess::NotRunning && t.elapsed() < 15000) {
        p.waitForReadyRead(5);
        out += p.readAllStandardOutput();
        if (const qsizetype at = out.indexOf("first-paint"); at >= 0) {
            s.paintMs = double(t.nsecsElapsed()) / 1e6;
            p.waitForReadyRead(100);  // the rest of the line
            out += p.readAllStandardOutput();
            const qsizetype cpu = out.indexOf("cpu=", at);
            if (cpu >= 0) s.cpuMs = out.mid(cpu + 4).split('\n').first().toDouble();
            break;
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
    const QString zorvik = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QCoreApplication::applicationDirPath() + "/../bin/zorvik";
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 7;
    // The program runs from a folder of its own, with its settings already
    // there, as on a user's machine after the first start.
    QTemporaryDir dir;
    const QString exe = copyProgramWithSettings(
        zorvik, dir.path(),
        QStringLiteral("[计时]\r\n时=0\r\n分=25\r\n秒=0\r\n模式选择=倒计时\r\n"));
    measure(exe, {}, dir.path());  // warm the file cache and fonts
    std::vector<double> appPaint, appCpu, appRss, barePaint, bareCpu, bareRss;
    for (int i = 0; i < runs; ++i) {
        Sample a = measure(exe, {}, dir.path());
        Sample b = measure(QCoreApplication::applicationFilePath(), {"--bare"}, dir.path());
        appPaint.push_back(a.paintMs);
        appCpu.push_back(a.cpuMs);
        bareCpu.push_back(b.cpuMs);
        appRss.push_back(a.rssMiB);
        barePaint.push_back(b.paintMs);
        bareRss.push_back(b.rssMiB);
    }
    const double ap = median(appPaint), bp = median(barePaint);
    std::printf("runs: %d\n", runs);
    const double ac = median(appCpu), bc = median(bareCpu);
    std::printf(
        "zorvik      first paint median %.1f ms (processor %.1f ms), resident after 1 s %.1f MiB\n",
        ap, ac, median(appRss));
    std::printf(
        "bare window first paint median %.1f ms (processor %.1f ms), resident after 1 s %.1f MiB\n",
        bp, bc, median(bareRss));
    const double am = median(appRss), bm = median(bareRss);
    std::printf(
        "first paint %.2f x the bare window's (target <= 1.10; processor time %.2f x),\n"
        "memory %.2f x (target <= 1.15)\n",
        ap / bp, ac / bc, am / bm);
    return 0;
}
