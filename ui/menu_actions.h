#pragma once

namespace zorvik {

// Binds the menu items, the hotkey window, the help and history windows
// and the start hotkey poll.
void registerMenuAndHotkeyHandlers();

}  // namespace zorvik
