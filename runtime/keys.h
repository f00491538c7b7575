#pragma once
// Virtual-key codes: the numbering keys are stored in, on every system.

#include <functional>

class QKeyEvent;

namespace rt {

// The virtual-key code of a key event; the numeric keypad's digits come
// out as the main digit keys and its minus, point and divide as 189, 190
// and 191. 0 when the key has no code.
int virtualKeyCode(const QKeyEvent* e);

// 1 Ctrl, 2 Shift, 4 Alt, added; a modifier key does not set its own bit.
int keyStateOf(const QKeyEvent* e);

// Whether the key is down now or was pressed since the last query of the
// same key (the last-query part is cleared by this call). Windows asks the
// system; elsewhere an application-wide tracker, installed on first use,
// remembers pressed keys and forgets them all when the application is
// deactivated. A key it saw go down counts as down only while the X
// server has it down too (on X11: its release may have gone to another
// client); where the system tells nothing (Wayland, offscreen), held keys
// are forgotten whenever a window of the program loses the focus or closes.
bool keyDownOrPressedSinceLastQuery(int vk);
// Whether that query could answer yes: always on Windows, where only the
// system knows; elsewhere while the tracker has the key down or holds a
// press not yet asked for. Asks nothing and clears nothing.
bool keyMayBeDown(int vk);
void installKeyTracker();
// Runs watcher after every key press or release the application sees and
// whenever the application or one of its windows is activated,
// deactivated, minimised or restored: the moments at which a poll of a key
// may have to start or stop, so that it need not run all the time.
void setKeyWatcher(std::function<void()> watcher);

}  // namespace rt
