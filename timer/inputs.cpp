// Handlers of the time inputs, the mode buttons and the reminder switches:
// each corrects its control if needed, then stores it at once.

#include "timer/inputs.h"

#include "text/commands.h"
#include "runtime/runtime.h"
#include "settings/config.h"
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
void timeInputChanged(const QString& control, const QString& key) {
    if (rt::toInteger(content(control)) < 0)
        rt::setProperty(kMainWindow, control, rt::slot::EditContent, u"0"_s);
    writeSetting(u"计时"_s, key, content(control));
}

void intervalChanged() {
    const QString box = u"提醒_编辑框"_s;
    if (rt::toNumber(content(box)) < -1e-7)
        rt::setProperty(kMainWindow, box, rt::slot::EditContent, u"0"_s);
    writeSetting(u"计时"_s, u"间隔提醒时间"_s, content(box));
}

void clearInputs() {
    for (const QString& c : {u"输入_时"_s, u"输入_分"_s, u"输入_秒"_s})
        rt::setProperty(kMainWindow, c, rt::slot::EditContent, u"0"_s);
}

void storeLogical(const QString& section, const QString& key, const QString& control) {
    const bool on = rt::getProperty(kMainWindow, control, rt::slot::Checked).toBool();
    writeSetting(section, key, rt::toText(on));
}

}  // namespace

void registerTimerHandlers() {
    rt::bindAction(u"startOrPause"_s, startOrPause);
    rt::bindAction(u"onResetClicked"_s, resetTimer);
    rt::bindAction(u"onClearInputsClicked"_s, clearInputs);
    rt::bindAction(u"onHoursChanged"_s, [] { timeInputChanged(u"输入_时"_s, u"时"_s); });
    rt::bindAction(u"onMinutesChanged"_s, [] { timeInputChanged(u"输入_分"_s, u"分"_s); });
    rt::bindAction(u"onSecondsChanged"_s, [] { timeInputChanged(u"输入_秒"_s, u"秒"_s); });
    rt::bindAction(u"onCountdownClicked"_s,
                   [] { writeSetting(u"计时"_s, u"模式选择"_s, u"倒计时"_s); });
    rt::bindAction(u"onCountUpClicked"_s,
                   [] { writeSetting(u"计时"_s, u"模式选择"_s, u"正计时"_s); });
    rt::bindAction(u"onIntervalChanged"_s, intervalChanged);
    rt::bindAction(u"onCustomRemindersClicked"_s, [] {
        storeLogical(u"自定义提醒"_s, u"启用自定义提醒"_s, u"启用自定义提醒"_s);
    });
    registerDeliveryHandlers();
}

}  // namespace zorvik
