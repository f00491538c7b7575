#include "settings/save_failure.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <iterator>

#include "names/main_window.h"
#include "runtime/runtime.h"
#include "settings/config.h"
#include "settings/reminder_table.h"
#include "settings/run_log.h"

using namespace Qt::StringLiterals;

namespace zorvik {
namespace {

struct Episode {
    bool failing[3] = {false, false, false};
    bool told = false;  // the user knows: no more boxes until a save lands
    bool retrying = false;
};

Episode episode;

// Less than this left on the disk, and a save that failed most likely
// failed for want of room: the two files are a few kilobytes.
constexpr qint64 kFullDiskBytes = 64 * 1024;

// The failure as the user can act on it, from what the folder and the disk
// say now.
QString reasonFor(const QString& path) {
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir()) return u"所在的文件夹已不存在"_s;
    const QStorageInfo disk(folder.absoluteFilePath());
    if (disk.isValid() && disk.bytesAvailable() < kFullDiskBytes) return u"磁盘空间已满"_s;
    if (disk.isValid() && disk.isReadOnly()) return u"磁盘是只读的"_s;
    if (file.exists() && !file.isWritable()) return u"文件是只读的"_s;
    if (!folder.isWritable()) return u"文件夹不允许写入"_s;
    return u"文件无法写入"_s;
}

void tell(const QString& path) {
    const QString text =
        u"“%1”没有保存：%2。\n\n位置：%3\n\n窗口里的内容都还在，之后每次更改都会再次保存。"_s.arg(
            QFileInfo(path).fileName(), reasonFor(path),
            QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    if (QObject* box = rt::showMessageBoxAsync(text, u"保存失败"_s, kMainWindow))
        box->setObjectName(u"zorvikSaveFailedBox"_s);
}

// The other files are behind since their own saves failed: now that the
// disk takes writes again, each is written whole from what the window
// shows, and the record gets the runs it missed.
void catchUp(DataFile saved) {
    if (episode.retrying) return;
    episode.retrying = true;
    if (saved != DataFile::Table && episode.failing[int(DataFile::Table)]) saveReminderTable();
    if (saved != DataFile::Config && episode.failing[int(DataFile::Config)]) saveUnsavedSettings();
    if (saved != DataFile::RunLog && episode.failing[int(DataFile::RunLog)]) writePendingRuns();
    episode.retrying = false;
}

bool anyFailing() {
    return std::any_of(std::begin(episode.failing), std::end(episode.failing),
                       [](bool f) { return f; });
}

}  // namespace

void noteSave(DataFile file, const QString& path, bool saved) {
    episode.failing[int(file)] = !saved;
    if (!saved) {
        if (!episode.told) tell(path);
        episode.told = true;
        return;
    }
    catchUp(file);
    if (!anyFailing()) episode.told = false;
}

void savesKnownToFail() {
    episode.told = true;
}

bool saveFailing(DataFile file) {
    return episode.failing[int(file)];
}

}  // namespace zorvik
