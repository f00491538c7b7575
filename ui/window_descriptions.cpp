#include "ui/window_descriptions.h"

#include "grid/grid_kind.h"
#include "media/media_kind.h"
#include "runtime/runtime.h"
#include "ui/help_window.h"
#include "ui/history_window.h"
#include "ui/hotkey_window.h"

namespace zorvik {

void registerWindows() {
    rt::registerGridKind();
    rt::registerMediaPlayerKind();
    rt::registerWindow(mainWindowDescription());
    rt::registerWindow(hotkeyWindowDescription());
    rt::registerWindow(helpWindowDescription());
    rt::registerWindow(historyWindowDescription());
}

}  // namespace zorvik
