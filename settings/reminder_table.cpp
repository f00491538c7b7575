#include "settings/reminder_table.h"

#include <QFileInfo>

#include "runtime/grid_commands.h"
#include "runtime/runtime.h"

using namespace Qt::StringLiterals;

namespace zorvik {

QString reminderDataPath;

namespace {

const QString kWindow = u"主窗口"_s;
const QString kGrid = u"高级表格1"_s;

QString programDataFile() {
    return rt::programDirectory() + u"/自定义提醒数据"_s;
}

void saveTable() {
    rt::gridSave(kWindow, kGrid, reminderDataPath);
}

void setHeaderLook() {
    const int width = rt::getProperty(kWindow, kGrid, rt::slot::Width).toInt();
    rt::gridSetColumnWidth(kWindow, kGrid, 0, int(width * 0.18));
    rt::gridSetColumnWidth(kWindow, kGrid, 1, int(width * 0.45));
    rt::gridSetColumnWidth(kWindow, kGrid, 2, int(width * 0.35));
    rt::gridSetRowHeight(kWindow, kGrid, 0, 40);
    for (int column = 0; column < 3; ++column)
        rt::gridSetFontHeight(kWindow, kGrid, 0, column, -1, -1, 20);
    for (int column = 0; column < 3; ++column)
        rt::gridSetAlignment(kWindow, kGrid, 0, column, -1, -1, 2);
    rt::setProperty(kWindow, kGrid, rt::slot::GridFixedRows, 1);
}

}  // namespace

void loadReminderTable() {
    setHeaderLook();
    if (reminderDataPath.isEmpty()) reminderDataPath = programDataFile();
    if (QFileInfo::exists(reminderDataPath)) {
        // A file that does not load leaves the designed grid in place and is
        // not rewritten until the table next changes.
        rt::gridLoad(kWindow, kGrid, reminderDataPath);
        return;
    }
    const QString headers[] = {u"间隔时间(分)"_s, u"提醒内容"_s, u"CMD命令(试验)"_s};
    for (int column = 0; column < 3; ++column)
        rt::gridSetCell(kWindow, kGrid, 0, column, rt::kGridCellText, headers[column]);
    saveTable();
}

void onInsertRowClicked() {
    // Below the selected row; with none selected the position falls in the
    // header row and the grid appends instead.
    rt::gridInsertRow(kWindow, kGrid, u"请编辑"_s, rt::gridCurrentRow(kWindow, kGrid) + 1);
    saveTable();
}

void onDeleteRowClicked() {
    const int row = rt::gridCurrentRow(kWindow, kGrid);
    if (row != -1) rt::gridDeleteRow(kWindow, kGrid, row);
    saveTable();
}

void onReloadTableClicked() {
    rt::gridLoad(kWindow, kGrid, programDataFile());
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
