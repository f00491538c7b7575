#pragma once
// The end of a run must not go unnoticed behind other windows: the window
// asks for attention (taskbar flash, urgency hint), and when it is
// minimised or hidden a desktop notification "时间到" appears as well.

#include <functional>

#include <QString>

namespace zorvik::desktop {

// Where the notification service is missing, fallback shows it instead
// (the tray icon's own balloon); it may be empty.
using MessageFallback = std::function<void(const QString& title, const QString& text)>;

void callAttentionToEnd(const MessageFallback& fallback);
void notifyDesktop(const QString& title, const QString& text, const MessageFallback& fallback);

}  // namespace zorvik::desktop
