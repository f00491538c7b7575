#include "desktop/commands.h"

#include <QCoreApplication>
#include <utility>
#include <vector>

#include "desktop/tray.h"
#include "names/main_window.h"
#include "runtime/runtime.h"
#include "settings/config.h"
#include "text/commands.h"
#include "timer/timer_state.h"

using namespace Qt::StringLiterals;

namespace zorvik::desktop {

namespace {

// Requests that came before the main window's first paint wait for it: a
// copy started with a command carries it out on a window the user sees.
bool ready = false;
std::vector<std::pair<Request, Reply>> waiting;

void click(const QString& control) {
    rt::raiseEvent(kMainWindow, control, rt::ev::Clicked);
}

// As typing does: each box's change is checked and saved by its handler.
void fillTimeBoxes(const QString& hours, const QString& minutes, const QString& seconds) {
    rt::setProperty(kMainWindow, ctl::kHoursBox, rt::slot::EditContent, hours);
    rt::setProperty(kMainWindow, ctl::kMinutesBox, rt::slot::EditContent, minutes);
    rt::setProperty(kMainWindow, ctl::kSecondsBox, rt::slot::EditContent, seconds);
}

QString startCountdown(const Request& r) {
    // Its settings are locked and its count is the user's: never replaced.
    if (core().runActive())
        return u"a run is under way; zorvik --toggle pauses or resumes it, zorvik --reset ends it"_s;
    fillTimeBoxes(r.hours, r.minutes, r.seconds);
    rt::setProperty(kMainWindow, ctl::kCountdownChoice, rt::slot::Checked, 1);
    click(ctl::kCountdownChoice);
    click(ctl::kStartButton);
    return {};
}

QString act(const Request& r) {
    if (!rt::isLoaded(kMainWindow)) return u"the program is closing"_s;
    switch (r.kind) {
        case Request::Show:
            showMainWindow();
            break;
        case Request::Toggle:
            click(ctl::kStartButton);
            break;
        case Request::Reset:
            click(ctl::kResetButton);
            break;
        case Request::Start:
            return startCountdown(r);
    }
    return {};
}

void actOnWaiting() {
    ready = true;
    // The table and the settings panels are in place before a run starts.
    rt::completeWindow(kMainWindow);
    for (auto& [request, reply] : std::exchange(waiting, {})) reply(act(request));
}

// The duration as the boxes hold it: each box's change is saved as typed.
qint32 savedDuration() {
    const auto part = [](const Setting& box) { return rt::toNumber(readSetting(box)); };
    return qint32(part(setting::Hours) * 3600 + part(setting::Minutes) * 60 +
                  part(setting::Seconds));
}

}  // namespace

void carryOut(const Request& request, Reply reply) {
    if (ready) {
        reply(act(request));
        return;
    }
    if (waiting.empty()) rt::afterFirstPaint(kMainWindow, qApp, actOnWaiting);
    waiting.emplace_back(request, std::move(reply));
}

void startAgain() {
    if (!rt::isLoaded(kMainWindow) || core().runActive()) {
        showMainWindow();
        return;
    }
    if (const qint32 total = core().totalSeconds; savedDuration() != total)
        fillTimeBoxes(QString::number(total / 3600), QString::number(total % 3600 / 60),
                      QString::number(total % 60));
    click(ctl::kStartButton);
}

}  // namespace zorvik::desktop
