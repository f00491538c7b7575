// "配置.ini": created with the defaults, written on every change, read
// back at start-up, and robust against hand edits.

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QStringDecoder>
#include <QStringEncoder>

#include "common/files.h"
#include "common/program_fixture.h"
#include "grid/grid_commands.h"
#include "grid/grid_format.h"
#include "runtime/settings_folder.h"
#include "settings/reminder_table.h"
#include "text/profile.h"

using namespace Qt::StringLiterals;

namespace {

class FreshStart : public zt::ProgramTest {};

TEST_F(FreshStart, CreatesTheTwelveDefaultsAndShowsThem) {
    const QByteArray expected = rt::toGbk(
        u"[计时]\r\n时=0\r\n分=5\r\n秒=15\r\n模式选择=倒计时\r\n提醒类型=0\r\n间隔提醒时间=1\r\n"
        u"自定义音频路径=\r\n窗口置顶=假\r\n最终结束音=真\r\n[自定义提醒]\r\n启用自定义提醒=假\r\n"
        u"启用CMD命令=假\r\n[热键配置]\r\n开始=\r\n"_s);
    EXPECT_EQ(fileBytes(u"配置.ini"_s), expected);
    EXPECT_EQ(prop(u"输入_时"_s, rt::slot::EditContent).toString(), u"0"_s);
    EXPECT_EQ(prop(u"输入_分"_s, rt::slot::EditContent).toString(), u"5"_s);
    EXPECT_EQ(prop(u"输入_秒"_s, rt::slot::EditContent).toString(), u"15"_s);
    EXPECT_TRUE(prop(u"倒计时"_s, rt::slot::Checked).toBool());
    EXPECT_FALSE(prop(u"正计时"_s, rt::slot::Checked).toBool());
    EXPECT_EQ(zorvik::reminderKindAt(prop(u"提醒类型_组合框"_s, rt::slot::ComboSelection).toInt()),
              zorvik::ReminderKind::Beep);
    EXPECT_EQ(prop(u"提醒_编辑框"_s, rt::slot::EditContent).toString(), u"1"_s);
    EXPECT_FALSE(prop(u"选择框_窗口置顶"_s, rt::slot::Checked).toBool());
    EXPECT_TRUE(prop(u"结束音"_s, rt::slot::MenuChecked).toBool());
    EXPECT_FALSE(prop(u"启用自定义提醒"_s, rt::slot::Checked).toBool());
    EXPECT_FALSE(prop(u"选择框_命令行"_s, rt::slot::Checked).toBool());
    EXPECT_TRUE(prop(u"按钮_收起cmd信息"_s, rt::slot::Disabled).toBool());
    EXPECT_FALSE(prop(u"选择音频_按钮"_s, rt::slot::Visible).toBool());
}

TEST_F(FreshStart, EveryChangeIsStoredAtOnce) {
    set(u"输入_分"_s, rt::slot::EditContent, u"-3"_s);
    EXPECT_EQ(prop(u"输入_分"_s, rt::slot::EditContent).toString(), u"0"_s);
    EXPECT_EQ(stored(u"计时"_s, u"分"_s), u"0"_s);
    set(u"输入_分"_s, rt::slot::EditContent, u"12"_s);
    EXPECT_EQ(stored(u"计时"_s, u"分"_s), u"12"_s);
    set(u"提醒_编辑框"_s, rt::slot::EditContent, u"-0.5"_s);
    EXPECT_EQ(stored(u"计时"_s, u"间隔提醒时间"_s), u"0"_s);
    set(u"提醒_编辑框"_s, rt::slot::EditContent, u"2.5"_s);
    EXPECT_EQ(stored(u"计时"_s, u"间隔提醒时间"_s), u"2.5"_s);

    // Clicks on the real widgets.
    auto* onTop = qobject_cast<QWidget*>(rt::controlObject(zt::kMain, u"选择框_窗口置顶"_s));
    QTest::mouseClick(onTop, Qt::LeftButton, {}, QPoint(5, 8));
    EXPECT_EQ(stored(u"计时"_s, u"窗口置顶"_s), u"真"_s);
    EXPECT_TRUE(rt::getProperty(zt::kMain, zt::kMain, rt::slot::AlwaysOnTop).toBool());
    QTest::mouseClick(onTop, Qt::LeftButton, {}, QPoint(5, 8));
    EXPECT_EQ(stored(u"计时"_s, u"窗口置顶"_s), u"假"_s);
    EXPECT_FALSE(rt::getProperty(zt::kMain, zt::kMain, rt::slot::AlwaysOnTop).toBool());
    EXPECT_FALSE(rt::windowWidget(zt::kMain)->windowFlags() & Qt::WindowStaysOnTopHint);

    click(u"正计时"_s);
    EXPECT_EQ(stored(u"计时"_s, u"模式选择"_s), u"正计时"_s);
    set(u"启用自定义提醒"_s, rt::slot::Checked, 1);
    click(u"启用自定义提醒"_s);
    EXPECT_EQ(stored(u"自定义提醒"_s, u"启用自定义提醒"_s), u"真"_s);

    click(u"清空"_s);
    for (const QString& key : {u"时"_s, u"分"_s, u"秒"_s})
        EXPECT_EQ(stored(u"计时"_s, key), u"0"_s);
}

TEST_F(FreshStart, TypingFiltersCharactersAsTheBoxesAllow) {
    auto* hours = qobject_cast<QWidget*>(rt::controlObject(zt::kMain, u"输入_时"_s));
    set(u"输入_时"_s, rt::slot::EditContent, QString());
    hours->setFocus();
    QTest::keyClicks(hours, u"1a2-x34"_s);
    // Letters are ignored; at most three characters are taken.
    EXPECT_EQ(prop(u"输入_时"_s, rt::slot::EditContent).toString(), u"12-"_s);
    EXPECT_EQ(stored(u"计时"_s, u"时"_s), u"12-"_s);
    auto* interval = qobject_cast<QWidget*>(rt::controlObject(zt::kMain, u"提醒_编辑框"_s));
    set(u"提醒_编辑框"_s, rt::slot::EditContent, QString());
    QTest::keyClicks(interval, u"1.5x"_s);
    EXPECT_EQ(prop(u"提醒_编辑框"_s, rt::slot::EditContent).toString(), u"1.5"_s);
}

class HandEditedFile : public zt::ProgramTest {
  protected:
    void prepareFolder() override {
        QFile f(path(u"配置.ini"_s));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        // LF-only lines, a comment, a line without "=", a duplicate key,
        // mixed case in the section name, and a missing section.
        f.write(
            rt::toGbk(u"; written by hand\n[计时]\n时=  2 \n秒=-3\n分=abc\n模式选择=正计时\n"
                      u"junk line\n提醒类型=%1\n自定义音频路径=/no/such/file.mp3\n最终结束音=1\n"
                      u"窗口置顶=\n时=9\n[自定义提醒]\n启用自定义提醒=假 \n"_s.arg(
                          zt::storedKind(zorvik::ReminderKind::CustomAudio))));
    }
};

TEST_F(HandEditedFile, ValuesAreCorrectedAndMissingKeysReadEmpty) {
    EXPECT_EQ(prop(u"输入_时"_s, rt::slot::EditContent).toString(), u"2"_s)
        << "blanks dropped, the first of duplicate keys wins";
    EXPECT_EQ(prop(u"输入_秒"_s, rt::slot::EditContent).toString(), u"0"_s);
    EXPECT_EQ(stored(u"计时"_s, u"秒"_s), u"0"_s) << "a negative part is corrected and stored";
    EXPECT_EQ(prop(u"输入_分"_s, rt::slot::EditContent).toString(), u"abc"_s);
    EXPECT_TRUE(prop(u"正计时"_s, rt::slot::Checked).toBool());
    EXPECT_TRUE(prop(u"结束音"_s, rt::slot::MenuChecked).toBool()) << "1 reads as true";
    EXPECT_FALSE(prop(u"选择框_窗口置顶"_s, rt::slot::Checked).toBool()) << "empty is false";
    EXPECT_FALSE(prop(u"启用自定义提醒"_s, rt::slot::Checked).toBool());
    EXPECT_FALSE(prop(u"选择框_命令行"_s, rt::slot::Checked).toBool()) << "missing key";
    EXPECT_EQ(zorvik::reminderKindAt(prop(u"提醒类型_组合框"_s, rt::slot::ComboSelection).toInt()),
              zorvik::ReminderKind::CustomAudio);
    EXPECT_TRUE(prop(u"选择音频_按钮"_s, rt::slot::Visible).toBool());
    EXPECT_EQ(prop(u"选择音频_按钮"_s, rt::slot::ButtonCaption).toString(), u"请添加音频"_s);
    EXPECT_TRUE(fileBytes(u"配置.ini"_s).startsWith("; written by hand\n"))
        << "other lines are kept byte for byte";
}

TEST_F(FreshStart, ACharacterGbkLacksSurvivesARestart) {
    // A chosen audio file whose name GBK cannot hold.
    const QString audio = path(u"Übung 😀.mp3"_s);
    QFile(audio).open(QIODevice::WriteOnly);
    zorvik::writeSetting(u"计时"_s, u"自定义音频路径"_s, audio);
    zorvik::writeSetting(u"计时"_s, u"提醒类型"_s,
                         zt::storedKind(zorvik::ReminderKind::CustomAudio));
    rt::unloadAll();
    ASSERT_TRUE(rt::loadWindow(zt::kMain));
    EXPECT_EQ(stored(u"计时"_s, u"自定义音频路径"_s), audio);
    EXPECT_EQ(prop(u"选择音频_按钮"_s, rt::slot::ButtonCaption).toString(), u"切换音频"_s);
}

// What saves cut short by a crash left beside the two files.
class LeftoversOfInterruptedSaves : public zt::ProgramTest {
  protected:
    const QStringList ours{u"配置.ini.zorvik-Ab3dE9.tmp"_s, u"自定义提醒数据.zorvik-x1Y2z3.tmp"_s};
    const QStringList others{u"配置.ini.backup"_s, u"配置.ini.zorvik-abc.tmp"_s,
                             u"notes.zorvik-Ab3dE9.tmp"_s};
    void prepareFolder() override {
        for (const QString& name : ours + others) QFile(path(name)).open(QIODevice::WriteOnly);
    }
};

TEST_F(LeftoversOfInterruptedSaves, AreRemovedAtStartAndNothingElseIs) {
    for (const QString& name : ours) EXPECT_FALSE(QFile::exists(path(name))) << name.toStdString();
    for (const QString& name : others) EXPECT_TRUE(QFile::exists(path(name))) << name.toStdString();
    // Saves leave nothing of their own behind.
    set(u"输入_分"_s, rt::slot::EditContent, u"7"_s);
    click(u"插入表格_按钮"_s);
    const QStringList after = QDir(dir.path()).entryList({u"*.tmp"_s}, QDir::Files);
    EXPECT_EQ(after.size(), 2) << after.join(u' ').toStdString();
}

// "配置.ini" as editors save it in a Unicode form: UTF-8 with its
// byte-order mark (modern editors) or without (editors on Linux), UTF-16
// (Notepad's "Unicode", big-endian too).
struct UnicodeForm {
    const char* name;
    QStringConverter::Encoding encoding;
    bool marked = true;
};

class UnicodeFile : public zt::ProgramTest, public ::testing::WithParamInterface<UnicodeForm> {
  protected:
    QByteArray inForm(const QString& text, bool first = false) {
        QStringEncoder encoder(GetParam().encoding);
        return encoder.encode(first && GetParam().marked ? u"\uFEFF"_s + text : text);
    }
    void prepareFolder() override {
        QFile f(path(u"配置.ini"_s));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(inForm(u"[计时]\r\n时=1\r\n分=30\r\n模式选择=正计时\r\n"_s, true));
    }
};

TEST_P(UnicodeFile, IsReadAndWrittenInItsOwnForm) {
    EXPECT_EQ(prop(u"输入_时"_s, rt::slot::EditContent).toString(), u"1"_s);
    EXPECT_EQ(prop(u"输入_分"_s, rt::slot::EditContent).toString(), u"30"_s);
    EXPECT_TRUE(prop(u"正计时"_s, rt::slot::Checked).toBool());
    set(u"输入_分"_s, rt::slot::EditContent, u"45"_s);
    const QByteArray bytes = fileBytes(u"配置.ini"_s);
    EXPECT_TRUE(bytes.startsWith(inForm(u"[计时]\r\n时=1\r\n分=45\r\n"_s, true)));
    QStringDecoder decoder(GetParam().encoding, QStringConverter::Flag::ConvertInitialBom);
    const QString text = decoder.decode(bytes);
    EXPECT_FALSE(decoder.hasError());
    EXPECT_EQ(text.count(u"[计时]"_s), 1) << "no second section";
    EXPECT_EQ(text.count(QChar(0xFEFF)), GetParam().marked ? 1 : 0);
    EXPECT_TRUE(text.contains(u"\r\n间隔提醒时间=\r\n"_s)) << "keys added in the same form";
}

INSTANTIATE_TEST_SUITE_P(Forms, UnicodeFile,
                         ::testing::Values(UnicodeForm{"Utf8", QStringConverter::Utf8},
                                           UnicodeForm{"Utf8Unmarked", QStringConverter::Utf8,
                                                       false},
                                           UnicodeForm{"Utf16Le", QStringConverter::Utf16LE},
                                           UnicodeForm{"Utf16Be", QStringConverter::Utf16BE}),
                         [](const auto& info) { return std::string(info.param.name); });

// Folders nobody can create files in, even root: their parent is a file.
// Both the program's folder and the user's configuration folder are such.
class UnwritableFolder : public zt::ProgramTest {
  protected:
    void prepareFolder() override {
        QFile blocker(path(u"blocker"_s));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        qputenv("XDG_CONFIG_HOME", path(u"blocker/config"_s).toUtf8());
        rt::setProgramDirectory(path(u"blocker/inner"_s));
    }
    void TearDown() override {
        zt::ProgramTest::TearDown();
        qunsetenv("XDG_CONFIG_HOME");
    }
};

TEST_F(UnwritableFolder, ControlsGetTheDefaultsAndNothingIsLost) {
    const QString folder = rt::settingsDirectory();
    EXPECT_TRUE(folder.startsWith(path(u"blocker/config/"_s)));
    EXPECT_FALSE(QFile::exists(folder + u"/配置.ini"_s));
    EXPECT_EQ(prop(u"输入_分"_s, rt::slot::EditContent).toString(), u"5"_s);
    EXPECT_EQ(prop(u"输入_秒"_s, rt::slot::EditContent).toString(), u"15"_s);
    EXPECT_EQ(prop(u"提醒_编辑框"_s, rt::slot::EditContent).toString(), u"1"_s);
    EXPECT_TRUE(prop(u"倒计时"_s, rt::slot::Checked).toBool());
    EXPECT_TRUE(prop(u"结束音"_s, rt::slot::MenuChecked).toBool());
    // A later change tries again and, once the folder can take it, lands.
    QFile::remove(path(u"blocker"_s));
    QDir().mkpath(folder);
    set(u"输入_时"_s, rt::slot::EditContent, u"3"_s);
    EXPECT_EQ(rt::readIniEntry(folder + u"/配置.ini"_s, u"计时"_s, u"时"_s), u"3"_s);
}

// Saves that fail: told once, nothing the window shows is lost, and the
// first save that lands writes both files as the window shows them.
class FailedSaves : public zt::ProgramTest {
  protected:
    void TearDown() override {
        zt::ProgramTest::TearDown();
        if (!mounted.isEmpty()) QProcess::execute(u"umount"_s, {u"-l"_s, mounted});
    }
    static QList<QMessageBox*> failureBoxes() {
        QList<QMessageBox*> boxes;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w);
                box && box->objectName() == u"zorvikSaveFailedBox"_s && box->isVisible())
                boxes << box;
        return boxes;
    }
    void addRow(const QString& text) {
        press(zt::kMain, u"插入表格_按钮"_s);
        const int row = prop(u"高级表格1"_s, rt::slot::GridRows).toInt() - 1;
        rt::gridSetCell(zt::kMain, u"高级表格1"_s, row, 1, rt::kGridCellText, text);
        zorvik::onGridCellEdited();
    }
    QStringList storedTexts() const {
        const auto file = rt::decodeGridFile(fileBytes(u"自定义提醒数据"_s));
        QStringList texts;
        if (file)
            for (const auto& c : file->cells)
                if (c.row > 0 && c.column == 1) texts << c.text;
        return texts;
    }
    QString storedNow(const QString& key) const {
        rt::forgetIniFiles();
        return rt::readIniEntry(path(u"配置.ini"_s), u"计时"_s, key);
    }
    QString mounted;
};

TEST_F(FailedSaves, AFolderGoneIsToldOnceAndItsReturnGetsTheWholeState) {
    addRow(u"喝水"_s);
    ASSERT_TRUE(QDir(dir.path()).removeRecursively());
    set(u"输入_分"_s, rt::slot::EditContent, u"7"_s);
    addRow(u"休息"_s);
    set(u"输入_秒"_s, rt::slot::EditContent, u"9"_s);
    ASSERT_EQ(failureBoxes().size(), 1) << "one box for the episode";
    EXPECT_EQ(failureBoxes()[0]->windowTitle(), u"保存失败"_s);
    EXPECT_TRUE(failureBoxes()[0]->text().contains(u"“配置.ini”"_s));
    EXPECT_TRUE(failureBoxes()[0]->text().contains(u"文件夹已不存在"_s));
    EXPECT_EQ(prop(u"输入_分"_s, rt::slot::EditContent).toString(), u"7"_s);
    EXPECT_EQ(zorvik::readSetting(u"计时"_s, u"分"_s), u"7"_s) << "reads see what was typed";

    ASSERT_TRUE(QDir().mkpath(dir.path()));
    set(u"输入_时"_s, rt::slot::EditContent, u"1"_s);
    EXPECT_EQ(storedNow(u"时"_s), u"1"_s);
    EXPECT_EQ(storedNow(u"分"_s), u"7"_s);
    EXPECT_EQ(storedNow(u"秒"_s), u"9"_s);
    EXPECT_EQ(storedNow(u"模式选择"_s), u"倒计时"_s) << "untouched keys are written too";
    EXPECT_EQ(storedTexts(), (QStringList{u"喝水"_s, u"休息"_s}));
    EXPECT_EQ(failureBoxes().size(), 1);

    // A new episode is told again.
    ASSERT_TRUE(QDir(dir.path()).removeRecursively());
    set(u"输入_分"_s, rt::slot::EditContent, u"8"_s);
    EXPECT_EQ(failureBoxes().size(), 2);
}

TEST_F(FailedSaves, AFullDiskLeavesBothFilesAsTheyWereAndTheFirstSaveWithRoomWritesAll) {
    const QString disk = path(u"disk"_s);
    QDir().mkpath(disk);
    if (QProcess::execute(u"mount"_s,
                          {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=256k"_s, u"tmpfs"_s, disk}) != 0)
        GTEST_SKIP() << "no privilege to mount a small file system";
    mounted = disk;
    // "配置.ini" fills exactly one page, so the next longer value needs a
    // block the full disk no longer has; a line the program does not know
    // is kept as it stands, which makes the padding.
    QByteArray ini = rt::toGbk(
        u"[计时]\r\n时=0\r\n分=5\r\n秒=15\r\n模式选择=倒计时\r\n提醒类型=0\r\n间隔提醒时间=1\r\n"
        u"自定义音频路径=\r\n窗口置顶=假\r\n最终结束音=真\r\n[自定义提醒]\r\n启用自定义提醒=假\r\n"
        u"启用CMD命令=假\r\n[热键配置]\r\n开始=\r\n"_s);
    ini += "; " + QByteArray(4096 - ini.size() - 4, 'x') + "\r\n";
    zt::writeAll(disk + u"/配置.ini"_s, ini);
    rt::setProgramDirectory(disk);
    zorvik::configFilePath.clear();
    zorvik::reminderDataPath.clear();
    rt::unloadAll();
    loadMain();
    const QString longText = u"长"_s.repeated(3000);
    addRow(longText);
    const QByteArray iniBefore = zt::readAll(disk + u"/配置.ini"_s);
    const QByteArray tableBefore = zt::readAll(disk + u"/自定义提醒数据"_s);
    ASSERT_EQ(iniBefore.size(), 4096);
    ASSERT_GT(tableBefore.size(), 4096);
    QFile filler(disk + u"/filler"_s);
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    while (filler.write(QByteArray(4096, 'x')) == 4096 && filler.flush()) {
    }
    filler.close();

    rt::gridSetCell(zt::kMain, u"高级表格1"_s, 1, 1, rt::kGridCellText, longText + longText);
    zorvik::onGridCellEdited();
    set(u"输入_分"_s, rt::slot::EditContent, u"17"_s);
    ASSERT_EQ(failureBoxes().size(), 1);
    EXPECT_TRUE(failureBoxes()[0]->text().contains(u"“自定义提醒数据”"_s));
    EXPECT_TRUE(failureBoxes()[0]->text().contains(u"磁盘空间已满"_s));
    EXPECT_EQ(zt::readAll(disk + u"/自定义提醒数据"_s), tableBefore) << "a refused save destroys";
    EXPECT_EQ(zt::readAll(disk + u"/配置.ini"_s), iniBefore) << "a refused save destroys";

    ASSERT_TRUE(QFile::remove(disk + u"/filler"_s));
    set(u"输入_分"_s, rt::slot::EditContent, u"8"_s);
    const auto file = rt::decodeGridFile(zt::readAll(disk + u"/自定义提醒数据"_s));
    ASSERT_TRUE(file.has_value());
    EXPECT_TRUE(std::ranges::any_of(file->cells, [&](const rt::GridCellRecord& c) {
        return c.row == 1 && c.column == 1 && c.text == longText + longText;
    })) << "the table as the window shows it, written by the first save with room";
    EXPECT_EQ(rt::readIniEntry(disk + u"/配置.ini"_s, u"计时"_s, u"分"_s), u"8"_s);
    EXPECT_EQ(failureBoxes().size(), 1);
}

}  // namespace
