// What a fresh player per open costs: the media player control opens a
// clip again and again (each open makes its own player and lets the last
// one go), timed from the call to the answer, with the resident memory
// after the first open and after the last. Usage: bench_media_open [clip]
// [opens]

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "media/media_player.h"

namespace {

long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Milliseconds from open() to its answer; -1 when it failed.
double timedOpen(rt::MediaPlayerControl& player, const QString& clip) {
    QElapsedTimer t;
    t.start();
    QEventLoop loop;  // a measurement program: nothing else runs here
    bool ok = false;
    player.open(clip, [&](bool opened) {
        ok = opened;
        loop.quit();
    });
    loop.exec();
    return ok ? double(t.nsecsElapsed()) / 1e6 : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString clip = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QStringLiteral(ZORVIK_SOURCE_DIR "/tests/data/tone_1800ms.mp3");
    const int opens = argc > 2 ? std::max(2, atoi(argv[2])) : 50;
    rt::MediaPlayerControl player;
    const long before = residentKiB();
    const double first = timedOpen(player, clip);
    const long afterFirst = residentKiB();
    std::vector<double> later;
    for (int i = 1; i < opens; ++i) later.push_back(timedOpen(player, clip));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const long afterAll = residentKiB();
    std::sort(later.begin(), later.end());
    std::printf("first open (loads the media framework): %.1f ms\n", first);
    std::printf(
        "later opens, a fresh player each: median %.1f ms, min %.1f, max %.1f (%zu opens)\n",
        later[later.size() / 2], later.front(), later.back(), later.size());
    std::printf("resident memory: %ld KiB before, %ld KiB after the first open, %ld KiB after %d\n",
                before, afterFirst, afterAll, opens);
    return 0;
}
