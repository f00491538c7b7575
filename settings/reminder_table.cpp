#include "settings/reminder_table.h"

#include <QFileInfo>

#include "runtime/grid_commands.h"
#include "runtime/runtime.h"
#include "runtime/settings_folder.h"
#include "settings/main_window.h"

using namespace Qt::StringLiterals;

namespace zorvik {

QString reminderDataPath;

namespace {

const QString kGrid = u"高级表格1"_s;

QString programDataFile() {
    return rt::settingsDirectory() + u"/自定义提醒数据"_s;
}

void saveTable() {
    rt::gridSave(kMainWindow, kGrid, reminderDataPath);
}

void setHeaderLook() {
    const int width = rt::getProperty(kMainWindow, kGrid, rt::slot::Width).toInt();
    rt::gridSetColumnWidth(kMainWindow, kGrid, 0, int(width * 0.18));
    rt::gridSetColumnWidth(kMainWindow, kGrid, 1, int(width * 0.45));
    rt::gridSetColumnWidth(kMainWindow, kGrid, 2, int(width * 0.35));
    rt::gridSetRowHeight(kMainWindow, kGrid, 0, 40);
    for (int column = 0; column < 3; ++column)
        rt::gridSetFontHeight(kMainWindow, kGrid, 0, column, -1, -1, 20);
    for (int column = 0; column < 3; ++column)
        rt::gridSetAlignment(kMainWindow, kGrid, 0, column, -1, -1, 2);
    rt::setProperty(kMainWindow, kGrid, rt::slot::GridFixedRows, 1);
}

}  // namespace

void loadReminderTable() {
    setHeaderLook();
    if (reminderDataPath.isEmpty()) reminderDataPath = programDataFile();
    if (QFileInfo::exists(reminderDataPath)) {
        // A file that does not load leaves the designed grid in place and is
        // not rewritten until the table next changes.
        rt::gridLoad(kMainWindow, kGrid, reminderDataPath);
        return;
    }
    const QString headers[] = {u"间隔时间(分)"_s, u"提醒内容"_s, u"CMD命令(试验)"_s};
    for (int column = 0; column < 3; ++column)
        rt::gridSetCell(kMainWindow, kGrid, 0, column, rt::kGridCellText, headers[column]);
    saveTable();
}

void onInsertRowClicked() {
    // Below the selected row; with none selected the position falls in the
    // header row and the grid appends instead.
    rt::gridInsertRow(kMainWindow, kGrid, u"请编辑"_s, rt::gridCurrentRow(kMainWindow, kGrid) + 1);
    saveTable();
}

void onDeleteRowClicked() {
    const int row = rt::gridCurrentRow(kMainWindow, kGrid);
    if (row != -1) rt::gridDeleteRow(kMainWindow, kGrid, row);
    saveTable();
}

void onReloadTableClicked() {
    rt::gridLoad(kMainWindow, kGrid, programDataFile());
}

void onGridCellEdited() {
    saveTable();
}

void registerReminderTableHandlers() {
    rt::bindAction(u"onInsertRowClicked"_s, onInsertRowClicked);
    rt::bindAction(u"onDeleteRowClicked"_s, onDeleteRowClicked);
    rt::bindAction(u"onReloadTableClicked"_s, onReloadTableClicked);
    rt::bindAction(u"onGridCellEdited"_s, onGridCellEdited);
}

}  // namespace zorvik
