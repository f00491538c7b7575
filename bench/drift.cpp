// Timekeeping of a real countdown, as the user sees it: for every second,
// how late the time display was painted after the second fell due (the
// loop's start + n s on the steady clock), as the 99th percentile and the
// worst over the run (beside the same for the passes, so a late paint is
// told from a late wake-up), and how far the whole run was off its length. Runs
// on the X server of DISPLAY when there is one (run under xvfb-run), else
// offscreen. Usage: bench_drift [seconds, 600 for the full ten minutes]

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/program.h"
#include "runtime/runtime.h"
#include "settings/config.h"
#include "timer/clock.h"
#include "timer/engine.h"
#include "timer/timer_state.h"

using namespace Qt::StringLiterals;
using Steady = std::chrono::steady_clock;

namespace {

double ms(Steady::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Remembers when the pass now running fell due, and when the display was
// next painted after it.
class PaintLateness : public zorvik::SteadyClock {
  public:
    std::vector<double> lateMs, passLateMs;
    TimePoint lastPass;

    int schedule(TimePoint due, std::function<void()> fn) override {
        return SteadyClock::schedule(due, [this, due, fn = std::move(fn)] {
            lastPass = now();
            passLateMs.push_back(ms(lastPass - due));
            due_ = due;
            fn();
        });
    }
    void painted() {
        if (due_ == TimePoint()) return;
        lateMs.push_back(ms(now() - due_));
        due_ = TimePoint();
    }

  private:
    TimePoint due_;
};

class PaintProbe : public QObject {
  public:
    PaintProbe(QObject* display, PaintLateness* clock) : display_(display), clock_(clock) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched == display_ && e->type() == QEvent::Paint) clock_->painted();
        return false;
    }

  private:
    QObject* display_;
    PaintLateness* clock_;
};

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 60;
    QTemporaryDir dir;
    rt::setProgramDirectory(dir.path());
    PaintLateness clock;
    zorvik::setClock(&clock);
    zorvik::assembleProgram();
    const QString main = u"主窗口"_s;
    rt::loadWindow(main);
    for (auto [box, value] : {std::pair{u"输入_时"_s, QString::number(seconds / 3600)},
                              {u"输入_分"_s, QString::number(seconds / 60 % 60)},
                              {u"输入_秒"_s, QString::number(seconds % 60)}})
        rt::setProperty(main, box, rt::slot::EditContent, value);
    PaintProbe probe(rt::controlObject(main, u"透明标签_时间显示"_s), &clock);
    app.installEventFilter(&probe);

    // From the start click to the red end display.
    const Steady::time_point start = Steady::now();
    // The loop ends one turn after the run does, so the end's own paint is in.
    QObject::connect(&zorvik::runNotifier(), &zorvik::RunNotifier::runChanged, &app,
                     [&app](zorvik::RunEvent e) {
                         // exit, not quit: quit would first ask each window to close
                         if (e == zorvik::RunEvent::Ended)
                             QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
                     });
    zorvik::startOrPause();
    app.exec();
    const double runMs = ms(clock.lastPass - start);  // the last pass counts the last second

    std::printf("countdown of %d s on %s\n", seconds, qPrintable(QGuiApplication::platformName()));
    std::printf("run lasted %.1f ms (off by %+.1f ms)\n", runMs, runMs - seconds * 1000.0);
    std::printf(
        "display painted after the due second, over %zu seconds: p99 %.2f ms, worst %.2f ms\n",
        clock.lateMs.size(), percentile(clock.lateMs, 0.99), percentile(clock.lateMs, 1.0));
    std::printf("the passes themselves ran after their due second by: p99 %.2f ms, worst %.2f ms\n",
                percentile(clock.passLateMs, 0.99), percentile(clock.passLateMs, 1.0));
    std::printf("target: within 20 ms over the run, no paint later than 20 ms\n");
    zorvik::stopEngine();
    rt::unloadAll();
    zorvik::setClock(nullptr);
    return 0;
}
