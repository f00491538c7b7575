#include "ui/menu_actions.h"

namespace zorvik {

void registerMenuAndHotkeyHandlers() {}

}  // namespace zorvik
