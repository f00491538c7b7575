#pragma once
// Stored descriptions of the program's windows.

#include "runtime/window_desc.h"

namespace zorvik {

rt::WindowDesc mainWindowDescription();
std::vector<rt::MenuItemDesc> mainMenu();
rt::MenuSkin mainMenuSkin();

// Registers every window description with the runtime, and the kinds of
// control they hold that live outside it.
void registerWindows();

}  // namespace zorvik
