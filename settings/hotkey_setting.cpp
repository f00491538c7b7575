#include "settings/hotkey_setting.h"

#include "settings/config.h"
#include "text/commands.h"

namespace zorvik {

int startHotkeyCode = 0;

void loadStartHotkey() {
    startHotkeyCode = rt::toInteger(readSetting(setting::StartHotkey));
}

}  // namespace zorvik
