// Importing a configuration folder through the menu item "导入".

#include <QDateTime>
#include <QFile>

#include "common/program_fixture.h"
#include "grid/grid_commands.h"
#include "grid/grid_format.h"
#include "text/text_codec.h"

namespace zorvik::testing {
namespace {

const QString kGrid = u"高级表格1"_s;

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ImportTest : public ProgramTest {
  protected:
    QTemporaryDir otherDir;
    int dialogs = 0;

    // The folder dialog answers with folder; empty: cancelled.
    void chooseFolder(const QString& folder) {
        setFolderChooser([this, folder](const QString& initial, const QString& title) {
            EXPECT_EQ(initial, dir.path());
            EXPECT_EQ(title, u"——请选择导入的文件夹"_s);
            ++dialogs;
            return folder;
        });
    }
    QString otherFile(const QString& name) const { return otherDir.filePath(name); }
    static QString content(const QString& c) { return text(kMain, c, rt::slot::EditContent); }
    static bool ticked(const QString& c) {
        return rt::getProperty(kMain, c, rt::slot::Checked).toBool();
    }
    static int gridRows() { return rt::getProperty(kMain, kGrid, rt::slot::GridRows).toInt(); }
    static void setContent(const QString& c, const QString& value) {
        rt::setProperty(kMain, c, rt::slot::EditContent, value);
    }
};

TEST_F(ImportTest, ChosenFolderIsAppliedAndReceivesEveryLaterWrite) {
    loadMain();
    // The other folder: 1 h 30 min, count-up, custom reminders on, one row;
    // its settings as an editor on Linux saves them, UTF-8 without a mark.
    const QString ini = otherFile(u"配置.ini"_s);
    QFile utf8(ini);
    ASSERT_TRUE(utf8.open(QIODevice::WriteOnly));
    utf8.write(u"[计时]\n时=1\n分=30\n秒=0\n模式选择=正计时\n[自定义提醒]\n启用自定义提醒=真\n"_s
                   .toUtf8());
    utf8.close();
    rt::gridInsertRow(kMain, kGrid, u"30"_s);
    rt::gridSetCell(kMain, kGrid, 1, 1, rt::kGridCellText, u"学英语"_s);
    ASSERT_TRUE(rt::gridSave(kMain, kGrid, otherFile(u"自定义提醒数据"_s)));
    ASSERT_TRUE(rt::gridLoad(kMain, kGrid, path(u"自定义提醒数据"_s)));
    const QByteArray programTable = bytesOf(path(u"自定义提醒数据"_s));

    chooseFolder(otherDir.path());
    menuItem(u"导入"_s)->trigger();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ((QStringList{content(u"输入_时"_s), content(u"输入_分"_s), content(u"输入_秒"_s)}),
              (QStringList{u"1"_s, u"30"_s, u"0"_s}));
    EXPECT_TRUE(ticked(u"正计时"_s) && !ticked(u"倒计时"_s));
    EXPECT_TRUE(ticked(u"启用自定义提醒"_s));
    ASSERT_EQ(gridRows(), 2);
    EXPECT_EQ(rt::gridGetCell(kMain, kGrid, 1, 1).toString(), u"学英语"_s);

    setContent(u"输入_分"_s, u"45"_s);
    EXPECT_EQ(rt::readIniEntry(ini, u"计时"_s, u"分"_s), u"45"_s);
    const QString stored = QString::fromUtf8(bytesOf(ini));
    EXPECT_EQ(stored.count(u"[计时]"_s), 1) << "no second section";
    EXPECT_TRUE(stored.contains(u"\n分=45\n"_s) && stored.contains(u"\n间隔提醒时间=\r\n"_s));
    EXPECT_EQ(rt::readIniEntry(path(u"配置.ini"_s), u"计时"_s, u"分"_s), u"5"_s);
    const QByteArray importedTable = bytesOf(otherFile(u"自定义提醒数据"_s));
    press(kMain, u"插入表格_按钮"_s);
    EXPECT_NE(bytesOf(otherFile(u"自定义提醒数据"_s)), importedTable);
    EXPECT_EQ(bytesOf(path(u"自定义提醒数据"_s)), programTable);
}

// "刷新" reads the file the table is saved to: after an import, the
// imported folder's, so the next edit keeps the imported rows.
TEST_F(ImportTest, ReloadAfterAnImportKeepsTheImportedTable) {
    loadMain();
    const QString table = otherFile(u"自定义提醒数据"_s);
    rt::gridInsertRow(kMain, kGrid, u"30"_s);
    rt::gridSetCell(kMain, kGrid, 1, 1, rt::kGridCellText, u"学英语"_s);
    ASSERT_TRUE(rt::gridSave(kMain, kGrid, table));
    ASSERT_TRUE(rt::gridLoad(kMain, kGrid, path(u"自定义提醒数据"_s)));
    const QByteArray programTable = bytesOf(path(u"自定义提醒数据"_s));
    chooseFolder(otherDir.path());
    menuItem(u"导入"_s)->trigger();

    press(kMain, u"按钮3"_s);  // "刷新"
    EXPECT_EQ(gridRows(), 2);
    press(kMain, u"插入表格_按钮"_s);
    const auto saved = rt::decodeGridFile(bytesOf(table));
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->settings.rows, 3);
    QStringList texts;
    for (const auto& c : saved->cells) texts << c.text;
    EXPECT_EQ(texts.mid(3), (QStringList{u"30"_s, u"学英语"_s, u"请编辑"_s}));
    EXPECT_EQ(bytesOf(path(u"自定义提醒数据"_s)), programTable);
}

TEST_F(ImportTest, EmptyFolderReceivesBothFilesWithDefaults) {
    loadMain();
    setContent(u"输入_秒"_s, u"8"_s);
    press(kMain, u"插入表格_按钮"_s);
    rt::gridSetCell(kMain, kGrid, 1, 2, rt::kGridCellText, u"rm -rf build"_s);
    chooseFolder(otherDir.path());
    menuItem(u"导入"_s)->trigger();
    const QString ini = otherFile(u"配置.ini"_s);
    EXPECT_EQ(rt::readIniEntry(ini, u"计时"_s, u"秒"_s), u"15"_s);
    EXPECT_EQ(rt::readIniEntry(ini, u"计时"_s, u"最终结束音"_s), u"真"_s);
    EXPECT_EQ(content(u"输入_秒"_s), u"15"_s);
    // The new table holds the header row only, as the grid then shows it:
    // nothing of the table shown before the import.
    const auto table = rt::decodeGridFile(bytesOf(otherFile(u"自定义提醒数据"_s)));
    ASSERT_TRUE(table.has_value());
    EXPECT_EQ(table->settings.rows, 1);
    EXPECT_EQ(table->cells.size(), 3);
    EXPECT_EQ(gridRows(), 1);
    EXPECT_EQ(rt::gridGetCell(kMain, kGrid, 0, 1).toString(), u"提醒内容"_s);
    EXPECT_EQ(rt::readIniEntry(path(u"配置.ini"_s), u"计时"_s, u"秒"_s), u"8"_s);
}

TEST_F(ImportTest, CancelledDialogOrCountingTimerChangesNothing) {
    loadMain();
    setContent(u"输入_分"_s, u"7"_s);
    const QString config = configFilePath, data = reminderDataPath;
    const QByteArray programIni = bytesOf(path(u"配置.ini"_s));
    chooseFolder(QString());
    menuItem(u"导入"_s)->trigger();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(configFilePath + reminderDataPath, config + data);
    EXPECT_EQ(content(u"输入_分"_s), u"7"_s);
    EXPECT_EQ(bytesOf(path(u"配置.ini"_s)), programIni);

    chooseFolder(otherDir.path());
    startOrPause();
    ASSERT_EQ(startCaption(), u"暂停"_s);
    menuItem(u"导入"_s)->trigger();  // counting: not even the dialog
    EXPECT_EQ(dialogs, 1);
    startOrPause();
    menuItem(u"导入"_s)->trigger();  // paused: imports
    EXPECT_EQ(configFilePath, otherFile(u"配置.ini"_s));
}

// The program reads its settings file once and keeps it; an edit made by
// hand while it runs is still what a read, and an import, find.
TEST_F(ImportTest, FileEditedBehindTheProgramIsReadAnew) {
    const QString ini = path(u"配置.ini"_s);
    const auto edit = [&](const QString& from, const QString& to, bool keepTime) {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        const QDateTime changed = f.fileTime(QFileDevice::FileModificationTime);
        const QByteArray edited = f.readAll().replace(rt::toGbk(from), rt::toGbk(to));
        f.seek(0);
        f.resize(0);
        f.write(edited);
        f.flush();  // before the time is set back
        if (keepTime) f.setFileTime(changed, QFileDevice::FileModificationTime);
    };
    const auto age = [&] {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                      QFileDevice::FileModificationTime);
    };
    loadMain();
    age();  // as a file from an earlier session
    ASSERT_EQ(readSetting(u"计时"_s, u"分"_s), u"5"_s);

    edit(u"分=5"_s, u"分=45"_s, false);
    EXPECT_EQ(readSetting(u"计时"_s, u"分"_s), u"45"_s);

    // The same size and the same change time: only the bytes tell. An
    // import of the folder reads the file anew all the same.
    age();
    ASSERT_EQ(readSetting(u"计时"_s, u"分"_s), u"45"_s);
    edit(u"分=45"_s, u"分=50"_s, true);
    chooseFolder(dir.path());
    menuItem(u"导入"_s)->trigger();
    EXPECT_EQ(content(u"输入_分"_s), u"50"_s);
}

}  // namespace
}  // namespace zorvik::testing
