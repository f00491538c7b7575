#pragma once
// Virtual-key codes: the numbering keys are stored in, on every system.

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
// deactivated.
bool keyDownOrPressedSinceLastQuery(int vk);
void installKeyTracker();

}  // namespace rt
