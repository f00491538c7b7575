#pragma once

namespace zorvik {

// Virtual-key code of the start hotkey; 0 means none.
extern int startHotkeyCode;
void loadStartHotkey();

}  // namespace zorvik
