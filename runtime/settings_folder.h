#pragma once
// Where the program keeps what it writes: "配置.ini", "自定义提醒数据",
// the interpreter's working folder and the speech file. A copy unpacked
// into a folder of its own keeps them beside the executable (portable); an
// installed copy keeps them in the user's own configuration folder.

#include <QString>

namespace rt {

// The folder of "配置.ini" and "自定义提醒数据"; created when needed.
QString settingsDirectory();
// True when the settings live beside the executable.
bool settingsArePortable();
// The folder for short-lived files such as the speech file "read.mp3".
QString scratchDirectory();
// False when the settings folder refuses new files: nothing the user
// changes can be kept.
bool settingsWritable();

// The file an installed copy has beside it, one level up; its presence
// marks the folder as installed even where it is writable (root, a
// prefix in the user's home).
inline constexpr char kInstalledMarker[] = "share/applications/io.github.zorvik.Zorvik.desktop";

}  // namespace rt
