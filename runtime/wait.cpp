#include "runtime/wait.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <thread>

namespace rt {

bool responsiveWait(int amount, qint64 unit) {
    qint64 perUnit = unit;
    switch (unit) {
        case 0: perUnit = 1; break;
        case 1: perUnit = 1000; break;
        case 2: perUnit = 60000; break;
        case 3: perUnit = 3600000; break;
        default: break;
    }
    const double ms = double(amount) * double(perUnit);
    if (ms <= 0) return true;
    // A deadline on the steady clock: re-arming after an early wake-up never
    // shortens or stretches the wait.
    QDeadlineTimer deadline(qint64(ms), Qt::PreciseTimer);
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        if (deadline.hasExpired()) loop.quit();
        else timer.start(int(std::max<qint64>(1, deadline.remainingTime())));
    });
    timer.start(int(std::min<qint64>(qint64(ms), std::numeric_limits<int>::max())));
    loop.exec(QEventLoop::AllEvents);
    return true;
}

void startWorkerThread(std::function<void(int)> routine, int argument) {
    std::thread([routine = std::move(routine), argument] { routine(argument); }).detach();
}

}  // namespace rt
