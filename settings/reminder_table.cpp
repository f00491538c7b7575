#include "settings/reminder_table.h"
#include "settings/save_failure.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include "grid/grid_commands.h"
#include "names/main_window.h"
#include "runtime/runtime.h"
#include "runtime/settings_folder.h"
#include "text/file_save.h"

using namespace Qt::StringLiterals;

namespace zorvik {

QString reminderDataPath;

namespace {

const QString kGrid = ctl::kTable;

QString programDataFile() {
    return rt::settingsDirectory() + u"/自定义提醒数据"_s;
}

// Table files that exist but did not load (a cut download, a file from a
// newer version). The grid does not show them, so the first save that would
// replace one keeps it beside the new file first.
QSet<QString> damagedFiles;

ReminderRows rows;

QString cell(int row, int column) {
    return rt::gridGetCell(kMainWindow, kGrid, row, column).toString();
}

void loadTable(const QString& path) {
    if (rt::gridLoad(kMainWindow, kGrid, path))
        damagedFiles.remove(path);
    else if (QFileInfo::exists(path))
        damagedFiles.insert(path);
    refreshReminderRows();
}

bool keepDamagedFile(const QString& path) {
    QFile damaged(path);
    if (!damaged.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = damaged.readAll();
    return damaged.error() == QFileDevice::NoError &&
           rt::saveWholeFile(path + u".damaged"_s, bytes);
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

const ReminderRows& reminderRows() {
    return rows;
}

void refreshReminderRows() {
    rows.clear();
    const int count = rt::getProperty(kMainWindow, kGrid, rt::slot::GridRows).toInt();
    for (int row = 1; row < count; ++row)
        rows.push_back({cell(row, 0), cell(row, 1), cell(row, 2)});
}

namespace {

bool saveTable(const QString& path) {
    if (damagedFiles.contains(path) && QFileInfo::exists(path)) {
        // Not kept, not replaced: the edit waits for a save that can keep it.
        if (!keepDamagedFile(path)) return false;
        damagedFiles.remove(path);
    }
    return rt::gridSave(kMainWindow, kGrid, path);
}

}  // namespace

bool saveReminderTable() {
    refreshReminderRows();
    const QString path = reminderDataPath;
    const bool saved = saveTable(path);
    noteSave(DataFile::Table, path, saved);
    return saved;
}

void loadReminderTable() {
    setHeaderLook();
    if (reminderDataPath.isEmpty()) reminderDataPath = programDataFile();
    if (QFileInfo::exists(reminderDataPath)) {
        // A file that does not load leaves the grid as it is and is not
        // rewritten until the table next changes.
        loadTable(reminderDataPath);
        return;
    }
    // A new file holds the header row only, whatever the grid showed before
    // (an import of an empty folder follows another table).
    rt::gridReset(kMainWindow, kGrid);
    setHeaderLook();
    const QString headers[] = {u"间隔时间(分)"_s, u"提醒内容"_s, u"CMD命令(试验)"_s};
    for (int column = 0; column < 3; ++column)
        rt::gridSetCell(kMainWindow, kGrid, 0, column, rt::kGridCellText, headers[column]);
    saveReminderTable();
}

void onInsertRowClicked() {
    // Below the selected row; with none selected the position falls in the
    // header row and the grid appends instead.
    rt::gridInsertRow(kMainWindow, kGrid, u"请编辑"_s, rt::gridCurrentRow(kMainWindow, kGrid) + 1);
    saveReminderTable();
}

void onDeleteRowClicked() {
    const int row = rt::gridCurrentRow(kMainWindow, kGrid);
    if (row != -1) rt::gridDeleteRow(kMainWindow, kGrid, row);
    saveReminderTable();
}

void onReloadTableClicked() {
    // The file every edit is saved to: the program folder's, or the
    // imported folder's after an import. Reading any other would have the
    // next edit write that table over the imported one.
    if (reminderDataPath.isEmpty()) reminderDataPath = programDataFile();
    loadTable(reminderDataPath);
}

void onGridCellEdited() {
    saveReminderTable();
}

void registerReminderTableHandlers() {
    rt::bindAction(u"onInsertRowClicked"_s, onInsertRowClicked);
    rt::bindAction(u"onDeleteRowClicked"_s, onDeleteRowClicked);
    rt::bindAction(u"onReloadTableClicked"_s, onReloadTableClicked);
    rt::bindAction(u"onGridCellEdited"_s, onGridCellEdited);
}

}  // namespace zorvik
