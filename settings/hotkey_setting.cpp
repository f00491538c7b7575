#include "settings/hotkey_setting.h"

#include "text/commands.h"
#include "settings/config.h"

namespace zorvik {

int startHotkeyCode = 0;

void loadStartHotkey() {
    startHotkeyCode = rt::toInteger(readSetting(QStringLiteral("热键配置"), QStringLiteral("开始")));
}

}  // namespace zorvik
