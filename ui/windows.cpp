#include "ui/windows.h"

#include "runtime/runtime.h"
#include "ui/help_window.h"
#include "ui/hotkey_window.h"

namespace zorvik {

void registerWindows() {
    rt::registerWindow(mainWindowDescription());
    rt::registerWindow(hotkeyWindowDescription());
    rt::registerWindow(helpWindowDescription());
}

}  // namespace zorvik
