// Timekeeping of a real 60-second countdown: the engine (passes due at the
// loop's start + n s) against a loop that waits 1000 ms per pass, both
// doing the same display work, measured in the same run on the steady
// clock. Usage: bench_drift [seconds]

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>

#include "app/program.h"
#include "runtime/runtime.h"
#include "settings/config.h"
#include "timer/clock.h"
#include "timer/engine.h"
#include "timer/timer_state.h"

using namespace Qt::StringLiterals;
using Steady = std::chrono::steady_clock;

namespace {

// Records how late each scheduled pass ran against its due time.
class RecordingClock : public zorvik::SteadyClock {
  public:
    double worstLateMs = 0;
    int passes = 0;
    TimePoint lastPass;
    int schedule(TimePoint due, std::function<void()> fn) override {
        return SteadyClock::schedule(due, [this, due, fn = std::move(fn)] {
            const double late = std::chrono::duration<double, std::milli>(now() - due).count();
            worstLateMs = std::max(worstLateMs, late);
            ++passes;
            lastPass = now();
            fn();
        });
    }
};

double ms(Steady::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 60;
    QTemporaryDir dir;
    rt::setProgramDirectory(dir.path());
    RecordingClock clock;
    zorvik::setClock(&clock);
    zorvik::assembleProgram();
    rt::loadWindow(u"主窗口"_s);
    const QString main = u"主窗口"_s;
    rt::setProperty(main, u"输入_时"_s, rt::slot::EditContent, u"0"_s);
    rt::setProperty(main, u"输入_分"_s, rt::slot::EditContent, u"0"_s);
    rt::setProperty(main, u"输入_秒"_s, rt::slot::EditContent, QString::number(seconds));

    // The engine: from the start click to the red end display.
    const Steady::time_point start = Steady::now();
    zorvik::startOrPause();
    while (zorvik::core().runActive()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // The run ends with the pass that counts its last second.
    const double engineMs = ms(clock.lastPass - start);

    // The naive loop: the same display write, then 1000 ms from there to the
    // next pass, per pass.
    const Steady::time_point naiveStart = Steady::now();
    double naiveWorst = 0;
    int n = 0;
    bool naiveDone = false;
    std::function<void()> pass = [&] {
        if (n == seconds) {
            naiveDone = true;  // the wait after the last pass is over
            return;
        }
        const double late = ms(Steady::now() - naiveStart) - n * 1000.0;
        naiveWorst = std::max(naiveWorst, late);
        rt::setProperty(main, u"透明标签_时间显示"_s, rt::slot::LabelCaption,
                        zorvik::twoDigits(n / 3600) + u':' + zorvik::twoDigits(n / 60 % 60) + u':' +
                            zorvik::twoDigits(n % 60));
        rt::setProperty(main, u"编辑框_CMD输出"_s, rt::slot::EditContent, QString());
        ++n;
        QTimer::singleShot(1000, Qt::PreciseTimer, &app, pass);
    };
    pass();
    while (!naiveDone) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double naiveMs = ms(Steady::now() - naiveStart);

    std::printf("countdown of %d s\n", seconds);
    std::printf(
        "engine:       run lasted %.1f ms (off by %+.1f ms), worst display lateness %.2f ms over "
        "%d passes\n",
        engineMs, engineMs - seconds * 1000.0, clock.worstLateMs, clock.passes);
    std::printf(
        "1000 ms wait: run lasted %.1f ms (off by %+.1f ms), worst display lateness %.2f ms\n",
        naiveMs, naiveMs - seconds * 1000.0, naiveWorst);
    std::printf("target: within 20 ms over 60 s, no display update later than 20 ms\n");
    zorvik::stopEngine();
    rt::unloadAll();
    zorvik::setClock(nullptr);
    return 0;
}
