#pragma once
// The custom reminder table: the grid "高级表格1" of the main window and its
// data file "自定义提醒数据", rewritten whole after every change.

#include <QString>
#include <vector>

namespace zorvik {

// Full path of the data file; empty until the first load sets it to the
// program folder's file (an import points it elsewhere).
extern QString reminderDataPath;

// One row of the table below its header: what the user typed, as text.
struct ReminderRow {
    QString minutes;  // the wait before this reminder, in minutes
    QString text;     // what it says ("" for the standard message)
    QString command;  // a command for the interpreter ("" for none)
};
using ReminderRows = std::vector<ReminderRow>;

// The rows as the grid shows them; kept up to date by every change made
// through the table's own handlers and read again by refreshReminderRows.
const ReminderRows& reminderRows();
void refreshReminderRows();

// Writes the table to its data file. False when it could not be written
// (the file is then as it was).
bool saveReminderTable();

// Gives the grid its header look, then loads the data file, or creates it
// holding the header row when there is none.
void loadReminderTable();

void onInsertRowClicked();
void onDeleteRowClicked();
void onReloadTableClicked();  // the file edits are saved to (reminderDataPath)
void onGridCellEdited();

// Binds the four handlers above under their own names.
void registerReminderTableHandlers();

}  // namespace zorvik
