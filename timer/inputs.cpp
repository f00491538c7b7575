// Handlers of the time inputs, the mode buttons and the reminder switches:
// each corrects its control if needed, then stores it at once.

#include "timer/inputs.h"

#include "names/main_window.h"
#include "runtime/runtime.h"
#include "settings/config.h"
#include "text/commands.h"
#include "timer/delivery.h"
#include "timer/engine.h"
#include "timer/timer_state.h"

using namespace Qt::StringLiterals;

namespace zorvik {
namespace {

QString content(const QString& control) {
    return rt::getProperty(kMainWindow, control, rt::slot::EditContent).toString();
}

// A negative part becomes "0" (which raises this handler once more); the
// content as it then stands is stored.
void timeInputChanged(const QString& control, const Setting& setting) {
    if (rt::toInteger(content(control)) < 0)
        rt::setProperty(kMainWindow, control, rt::slot::EditContent, u"0"_s);
    writeSetting(setting, content(control));
}

void intervalChanged() {
    const QString box = ctl::kIntervalBox;
    if (rt::toNumber(content(box)) < -1e-7)
        rt::setProperty(kMainWindow, box, rt::slot::EditContent, u"0"_s);
    writeSetting(setting::IntervalMinutes, content(box));
}

void clearInputs() {
    for (const QString& c : {ctl::kHoursBox, ctl::kMinutesBox, ctl::kSecondsBox})
        rt::setProperty(kMainWindow, c, rt::slot::EditContent, u"0"_s);
}

void storeLogical(const Setting& setting, const QString& control) {
    const bool on = rt::getProperty(kMainWindow, control, rt::slot::Checked).toBool();
    writeSetting(setting, rt::toText(on));
}

}  // namespace

void registerTimerHandlers() {
    rt::bindAction(u"startOrPause"_s, startOrPause);
    rt::bindAction(u"onResetClicked"_s, resetTimer);
    rt::bindAction(u"onClearInputsClicked"_s, clearInputs);
    rt::bindAction(u"onHoursChanged"_s, [] { timeInputChanged(ctl::kHoursBox, setting::Hours); });
    rt::bindAction(u"onMinutesChanged"_s,
                   [] { timeInputChanged(ctl::kMinutesBox, setting::Minutes); });
    rt::bindAction(u"onSecondsChanged"_s,
                   [] { timeInputChanged(ctl::kSecondsBox, setting::Seconds); });
    rt::bindAction(u"onCountdownClicked"_s, [] { writeSetting(setting::Mode, u"倒计时"_s); });
    rt::bindAction(u"onCountUpClicked"_s, [] { writeSetting(setting::Mode, u"正计时"_s); });
    rt::bindAction(u"onIntervalChanged"_s, intervalChanged);
    rt::bindAction(u"onCustomRemindersClicked"_s,
                   [] { storeLogical(setting::CustomReminders, ctl::kCustomRemindersBox); });
    registerDeliveryHandlers();
}

}  // namespace zorvik
