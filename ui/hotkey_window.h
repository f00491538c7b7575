#pragma once
// The hotkey window: one read-only field that takes the key which starts
// or pauses the timer, and the five-times-a-second poll of that key while
// it can matter.

#include <QString>
#include <QVariantList>

#include "runtime/window_desc.h"

namespace zorvik {

// The key name shown when the window opened; closing the window compares
// the field with it.
extern QString hotkeyTextAtOpen;

rt::WindowDesc hotkeyWindowDescription();

// Display name of a virtual-key code; "" for the codes the table lacks.
QString keyDisplayName(int code);

void onHotkeyWindowCreated();
// Arguments: virtual-key code, key state. Returns false: the key never
// reaches the read-only field.
QVariant onHotkeyKeyPressed(const QVariantList& args);
void closeHotkeyWindow();
void onHotkeyWindowClosing();
void pollStartHotkey();
// Runs the poll of the start hotkey (the main window's timer) exactly while
// a poll could act, and stops it otherwise; called at every key event and
// every change of a window's activation or minimised state.
void followStartHotkey();

}  // namespace zorvik
