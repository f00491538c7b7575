#pragma once
// Whole-file saves of the program's data files ("配置.ini", "自定义提醒数据"):
// a crash never leaves half a file where the folder allows a replace, and a
// write is never dropped where it does not.

#include <QByteArrayView>
#include <QString>

namespace rt {

// Makes bytes the whole content of path. Normally a temporary file beside it
// (the file's name + ".zorvik-" + six letters or digits + ".tmp") is written,
// flushed to the disk and renamed over path, so a crash leaves the old file
// or the new one. Where the folder refuses new files (or the rename) but path
// itself is writable, path is rewritten in place. A symbolic link is kept and
// its target written; a read-only file is left alone. False when nothing
// worked; path is then as it was.
bool saveWholeFile(const QString& path, QByteArrayView bytes);

// Removes the temporary files that interrupted saves of path left beside it
// (only names of the pattern above). Runs once per path in a process, so it
// costs nothing after the first read or write of a file.
void removeInterruptedSaves(const QString& path);

}  // namespace rt
