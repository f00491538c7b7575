#include "settings/hotkey_setting.h"

#include "runtime/keys.h"
#include "settings/config.h"
#include "text/commands.h"

namespace zorvik {

int startHotkeyCode = 0;

void loadStartHotkey() {
    startHotkeyCode = rt::toInteger(readSetting(setting::StartHotkey));
    // A press of the key made before it became the hotkey (typed into a
    // box, or before an import brought the key) was never meant for the
    // timer: the application remembers presses of every key until asked.
    rt::keyDownOrPressedSinceLastQuery(startHotkeyCode);
}

}  // namespace zorvik
