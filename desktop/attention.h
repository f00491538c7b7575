#pragma once
// The end of a run must not go unnoticed behind other windows: the window
// asks for attention (taskbar flash, urgency hint), and when it is
// minimised or hidden a desktop notification "时间到" appears as well.

#include <QString>

namespace zorvik::desktop {

class Tray;

// tray (may be null) shows the notification itself where the desktop has
// no notification service.
void callAttentionToEnd(Tray* tray);
void notifyDesktop(const QString& title, const QString& text, Tray* tray);

}  // namespace zorvik::desktop
