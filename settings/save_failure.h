#pragma once
// A save of "配置.ini", "自定义提醒数据" or a line of "计时记录.csv" that
// fails is told to the user once, in a box that does not hold the window,
// and the first save that succeeds afterwards also writes the others if
// they are behind: what the window shows is what the next start finds.

#include <QString>

namespace zorvik {

enum class DataFile { Config, Table, RunLog };

// After every save of one of the two files.
void noteSave(DataFile file, const QString& path, bool saved);
// The user has already been told that nothing can be saved (start-up in a
// folder that cannot be written): failures stay quiet until a save lands.
void savesKnownToFail();
// True while a save of the file has failed and none has landed since.
bool saveFailing(DataFile file);

}  // namespace zorvik
