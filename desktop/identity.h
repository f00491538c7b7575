#pragma once
// How the desktop knows the program: its name, its desktop entry and its
// icon, set once before any window exists.

#include <QIcon>

namespace zorvik::desktop {

// The reverse-DNS id of the desktop entry, the metadata and the icon.
inline constexpr char kDesktopId[] = "io.github.zorvik.Zorvik";
inline constexpr char kVersion[] = "1.0";

// Names the application (which fixes the per-user folders) and ties its
// windows to the desktop entry.
void describeApplication();
// The icon of every window and of the tray's idle state.
QIcon applicationIcon();

}  // namespace zorvik::desktop
