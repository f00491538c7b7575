#include "ui/menu_actions.h"

#include "names/main_window.h"
#include "runtime/keys.h"
#include "runtime/runtime.h"
#include "settings/config.h"
#include "settings/import_export.h"
#include "text/commands.h"
#include "timer/timer_state.h"
#include "ui/history_window.h"
#include "ui/hotkey_window.h"

using namespace Qt::StringLiterals;

namespace zorvik {
namespace {

// The mark is flipped first, then stored, so the file always holds what
// the menu shows.
void onEndSoundChosen() {
    const QString item = ctl::kEndSoundItem;
    const bool checked = !rt::getProperty(kMainWindow, item, rt::slot::MenuChecked).toBool();
    rt::setProperty(kMainWindow, item, rt::slot::MenuChecked, checked);
    writeSetting(setting::EndSound, rt::toText(checked));
}

}  // namespace

void registerMenuAndHotkeyHandlers() {
    rt::bindAction(u"onEndSoundChosen"_s, onEndSoundChosen);
    rt::bindAction(u"openHotkeyWindow"_s, [] { rt::loadWindow(u"热键窗口"_s); });
    rt::bindAction(u"openHelpWindow"_s, [] { rt::loadWindow(u"帮助窗口"_s); });
    registerHistoryHandlers();
    rt::bindAction(u"importSettings"_s,
                   [] { importSettings([] { return core().state != RunState::Running; }); });
    rt::bindAction(u"exportSettings"_s, exportSettings);
    rt::bindAction(u"pollStartHotkey"_s, pollStartHotkey);
    rt::setKeyWatcher(followStartHotkey);
    rt::bindAction(u"onHotkeyWindowCreated"_s, onHotkeyWindowCreated);
    rt::bindHandler(u"onHotkeyKeyPressed"_s, onHotkeyKeyPressed);
    rt::bindAction(u"closeHotkeyWindow"_s, closeHotkeyWindow);
    rt::bindAction(u"onHotkeyWindowClosing"_s, onHotkeyWindowClosing);
}

}  // namespace zorvik
