#pragma once
// The custom reminder table: the grid "高级表格1" of the main window and its
// data file "自定义提醒数据", rewritten whole after every change.

#include <QString>

namespace zorvik {

// Full path of the data file; empty until the first load sets it to the
// program folder's file (an import points it elsewhere).
extern QString reminderDataPath;

// Gives the grid its header look, then loads the data file, or creates it
// holding the header row when there is none.
void loadReminderTable();

void onInsertRowClicked();
void onDeleteRowClicked();
void onReloadTableClicked();  // always the program folder's file
void onGridCellEdited();

// Binds the four handlers above under their own names.
void registerReminderTableHandlers();

}  // namespace zorvik
