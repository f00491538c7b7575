#include "settings/import_export.h"

#include <QDir>

#include "names/main_window.h"
#include "runtime/runtime.h"
#include "runtime/settings_folder.h"
#include "settings/config.h"
#include "settings/reminder_table.h"

using namespace Qt::StringLiterals;

namespace zorvik {
namespace {

FolderChooser& chooser() {
    static FolderChooser c;
    return c;
}

}  // namespace

void setFolderChooser(FolderChooser c) {
    chooser() = std::move(c);
}

void browseForFolder(const QString& initialFolder, const QString& title,
                     std::function<void(const QString&)> chosen) {
    const QString shown = title.isEmpty() ? u"请选择一个文件夹"_s : title;
    if (chooser())
        chosen(chooser()(initialFolder, shown));
    else
        rt::chooseFolder(initialFolder, shown, kMainWindow, std::move(chosen));
}

void importSettings(std::function<bool()> allowed) {
    if (allowed && !allowed()) return;
    browseForFolder(rt::settingsDirectory(), u"——请选择导入的文件夹"_s, [=](const QString& folder) {
        // A cancelled dialog would otherwise point both files at the root
        // of the drive and apply whatever is (or gets created) there; a run
        // started meanwhile (from the tray) keeps the settings it has.
        if (folder.isEmpty() || (allowed && !allowed())) return;
        const QDir dir(folder);
        reminderDataPath = dir.filePath(u"自定义提醒数据"_s);
        useConfigFile(dir.filePath(u"配置.ini"_s));
        applySettings();
    });
}

void exportSettings() {
    rt::askUser(u"待遥遥无期的开发"_s, rt::MbOk, u"导出功能提示"_s, kMainWindow);
}

}  // namespace zorvik
