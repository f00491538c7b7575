#include <gtest/gtest.h>
#include "test_paths.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "grid/grid_commands.h"
#include "grid/grid_control.h"
#include "grid/grid_kind.h"
#include "runtime/runtime.h"
#include "settings/reminder_table.h"

#include "common/files.h"

using namespace Qt::StringLiterals;

namespace {

const QString kMain = u"主窗口"_s;
const QString kGrid = u"高级表格1"_s;

using zt::readAll;
using zt::writeAll;

// The table panel of the main window: the grid and its three buttons.
rt::WindowDesc tableWindow() {
    using rt::Kind;
    rt::WindowDesc w;
    w.name = kMain;
    w.caption = u"计时器"_s;
    w.width = 560;
    w.height = 300;
    auto button = [](const QString& name, int left, const QString& caption,
                     const QString& handler) {
        return rt::ControlDesc{name, Kind::Button, {},      left, 10,
                               60,   24,           caption, {},   {{rt::ev::Clicked, handler}}};
    };
    w.controls = {
        button(u"插入表格_按钮"_s, 10, u"插入一行"_s, u"onInsertRowClicked"_s),
        button(u"删除表格_按钮"_s, 80, u"删除一行"_s, u"onDeleteRowClicked"_s),
        button(u"按钮3"_s, 150, u"刷新"_s, u"onReloadTableClicked"_s),
        rt::ControlDesc{kGrid,
                        Kind::Grid,
                        {},
                        17,
                        49,
                        480,
                        176,
                        {},
                        {},
                        {{rt::ev::CellEdited, u"onGridCellEdited"_s}}},
    };
    return w;
}

bool waitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 200 && !done(); ++i) QTest::qWait(10);
    return done();
}

class ReminderTable : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        rt::setProgramDirectory(dir.path());
        zorvik::reminderDataPath.clear();
        zorvik::registerReminderTableHandlers();
        rt::registerGridKind();
        rt::registerWindow(tableWindow());
        ASSERT_TRUE(rt::loadWindow(kMain));
        grid = qobject_cast<rt::GridControl*>(rt::controlObject(kMain, kGrid));
        ASSERT_NE(grid, nullptr);
    }
    void TearDown() override {
        rt::unloadAll();
        zorvik::reminderDataPath.clear();
    }

    QString dataFile() const { return dir.filePath(u"自定义提醒数据"_s); }
    rt::GridFile stored() const {
        return rt::decodeGridFile(readAll(dataFile())).value_or(rt::GridFile{});
    }
    void click(const QString& button) {
        auto* b = qobject_cast<QAbstractButton*>(rt::controlObject(kMain, button));
        ASSERT_NE(b, nullptr);
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void clickCell(int row, int column) {
        const QRect r = grid->visualRect(grid->model()->index(row, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
    }
    // The header file, then data rows "1".."n" below it, saved.
    void startWithRows(int n) {
        zorvik::loadReminderTable();
        for (int r = 1; r <= n; ++r) {
            click(u"插入表格_按钮"_s);
            rt::gridSetCell(*grid, r, 0, 1, QString::number(r));
        }
        rt::gridSave(*grid, dataFile());
    }
    QStringList firstColumn(const rt::GridFile& f) const {
        QStringList out(f.settings.rows);
        for (const rt::GridCellRecord& c : f.cells)
            if (c.column == 0) out[c.row] = c.text;
        return out;
    }

    QTemporaryDir dir;
    rt::GridControl* grid = nullptr;
};

TEST_F(ReminderTable, FirstStartCreatesTheHeaderOnlyFile) {
    zorvik::loadReminderTable();
    EXPECT_EQ(zorvik::reminderDataPath, dataFile());
    const rt::GridFile f = stored();
    EXPECT_EQ(f.settings.rows, 1);
    EXPECT_EQ(f.settings.columns, 3);
    EXPECT_EQ(f.settings.fixedRows, 1);
    EXPECT_EQ(f.rowHeights, QList<int32_t>({40}));
    EXPECT_EQ(f.columnWidths, QList<int32_t>({86, 216, 168}));
    ASSERT_EQ(f.cells.size(), 3);
    EXPECT_EQ(f.cells[0].text, u"间隔时间(分)"_s);
    EXPECT_EQ(f.cells[1].text, u"提醒内容"_s);
    EXPECT_EQ(f.cells[2].text, u"CMD命令(试验)"_s);
    ASSERT_EQ(f.fonts.size(), 3);
    for (const rt::GridFontRecord& font : f.fonts) EXPECT_EQ(rt::logFontHeight(font.logFont), 20);
    ASSERT_EQ(f.attributes[rt::AttrFormat].size(), 3);
    for (const rt::GridAttributeRecord& a : f.attributes[rt::AttrFormat]) EXPECT_EQ(a.value, 0x825);

    // Byte for byte the header-only table as the layout gives it (written
    // independently by the sample-file generator of the file fuzzer).
    const QByteArray bytes = readAll(dataFile());
    EXPECT_EQ(bytes, readAll(QStringLiteral(ZORVIK_SOURCE_DIR "/tests/fuzz/corpus/header_only")));

    // The next start loads that file and writes nothing.
    rt::unloadAll();
    ASSERT_TRUE(rt::loadWindow(kMain));
    zorvik::loadReminderTable();
    grid = qobject_cast<rt::GridControl*>(rt::controlObject(kMain, kGrid));
    EXPECT_EQ(grid->cellText(0, 1), u"提醒内容"_s);
    EXPECT_EQ(readAll(dataFile()), bytes);
}

TEST_F(ReminderTable, InsertAndDeleteFollowTheSelection) {
    startWithRows(3);
    EXPECT_EQ(grid->gridRowHeight(3), 40);

    clickCell(2, 1);
    click(u"插入表格_按钮"_s);
    click(u"插入表格_按钮"_s);  // no row is current after the save: appends
    EXPECT_EQ(firstColumn(stored()),
              QStringList({u"间隔时间(分)"_s, u"1"_s, u"2"_s, u"请编辑"_s, u"3"_s, u"请编辑"_s}));
    EXPECT_EQ(stored().rowHeights.last(), 40);

    // Nothing selected: nothing deleted, but the file is written again.
    QFile::remove(dataFile());
    click(u"删除表格_按钮"_s);
    EXPECT_EQ(stored().settings.rows, 6);

    clickCell(4, 0);
    click(u"删除表格_按钮"_s);
    click(u"删除表格_按钮"_s);
    EXPECT_EQ(firstColumn(stored()),
              QStringList({u"间隔时间(分)"_s, u"1"_s, u"2"_s, u"请编辑"_s, u"请编辑"_s}));
}

TEST_F(ReminderTable, StoredFileWinsAndBrokenFilesAreLeftAlone) {
    // A table saved on a machine where the grid was narrower.
    rt::GridFile other;
    other.settings.rows = 2;
    other.settings.columns = 3;
    other.settings.fixedRows = 1;
    other.rowHeights = {30, 30};
    other.columnWidths = {50, 60, 70};
    other.cells = {{0, 0, u"间隔时间(分)"_s, 0, {}},
                   {0, 1, u"提醒内容"_s, 0, {}},
                   {0, 2, u"CMD命令(试验)"_s, 0, {}},
                   {1, 1, u"站起来"_s, 0, {}}};
    for (int32_t c = 0; c < 3; ++c) other.fonts.append({0, c, rt::defaultLogFont()});
    writeAll(dataFile(), rt::encodeGridFile(other));
    zorvik::loadReminderTable();
    EXPECT_EQ(grid->gridColumnWidth(0), 50);
    EXPECT_EQ(grid->gridColumnWidth(2), 70);
    EXPECT_EQ(grid->cellText(1, 1), u"站起来"_s);

    QByteArray wrongMagic = rt::encodeGridFile(other);
    wrongMagic.replace(0, 4, "DRGE");
    const QByteArray cutDownload = rt::encodeGridFile(other).chopped(20);
    for (const QByteArray& broken : {QByteArray(539, 'E'), wrongMagic, cutDownload}) {
        rt::unloadAll();
        zorvik::reminderDataPath.clear();
        ASSERT_TRUE(rt::loadWindow(kMain));
        grid = qobject_cast<rt::GridControl*>(rt::controlObject(kMain, kGrid));
        writeAll(dataFile(), broken);
        zorvik::loadReminderTable();
        // The designed grid with the header look and no header texts.
        EXPECT_EQ(grid->rows(), 1);
        EXPECT_EQ(grid->gridColumnWidth(1), 216);
        EXPECT_EQ(grid->gridRowHeight(0), 40);
        EXPECT_EQ(grid->cellText(0, 0), QString());
        EXPECT_EQ(readAll(dataFile()), broken);
        // The next change writes a proper file, and the broken one is kept
        // beside it (replacing one kept before), once.
        click(u"插入表格_按钮"_s);
        EXPECT_EQ(stored().settings.rows, 2);
        EXPECT_EQ(readAll(dataFile() + u".damaged"_s), broken);
        click(u"插入表格_按钮"_s);
        EXPECT_EQ(stored().settings.rows, 3);
        EXPECT_EQ(readAll(dataFile() + u".damaged"_s), broken);
    }
}

TEST_F(ReminderTable, AClickThatEndsAnEditPicksTheRowTheButtonsActOn) {
    startWithRows(3);
    auto editThenClickRow2 = [&](const QString& text) {
        grid->setCurrentIndex(grid->model()->index(1, 1));
        grid->edit(grid->currentIndex());
        QLineEdit* editor = grid->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->setText(text);
        clickCell(2, 0);  // ends the edit; its save comes on the next turn
        ASSERT_TRUE(waitFor([&] { return stored().cells.contains({1, 1, text, 0, {}}); }));
    };
    editThenClickRow2(u"伸展"_s);
    click(u"删除表格_按钮"_s);
    EXPECT_EQ(firstColumn(stored()), QStringList({u"间隔时间(分)"_s, u"1"_s, u"3"_s}));
    editThenClickRow2(u"喝水"_s);
    click(u"插入表格_按钮"_s);
    EXPECT_EQ(firstColumn(stored()), QStringList({u"间隔时间(分)"_s, u"1"_s, u"3"_s, u"请编辑"_s}));
    EXPECT_EQ(stored().settings.rows, 4);
}

TEST_F(ReminderTable, EditsSaveToTheCurrentPathAndReloadReadsIt) {
    startWithRows(1);
    QTemporaryDir imported;
    zorvik::reminderDataPath = imported.filePath(u"自定义提醒数据"_s);

    // An in-place edit is saved where the path points now.
    grid->setCurrentIndex(grid->model()->index(1, 1));
    grid->edit(grid->currentIndex());
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : grid->findChildren<QLineEdit*>())
        if (e->isVisible()) editor = e;
    ASSERT_NE(editor, nullptr);
    editor->setText(u"伸展"_s);
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return QFile::exists(zorvik::reminderDataPath); }));
    EXPECT_EQ(rt::gridCurrentRow(*grid), -1) << "an edit ended by Return clears the cursor";
    const auto edited = rt::decodeGridFile(readAll(zorvik::reminderDataPath));
    ASSERT_TRUE(edited.has_value());
    EXPECT_EQ(edited->cells.last().text, u"伸展"_s);

    // "刷新" reads the file the edits went to, not the program folder's.
    grid->setCellText(1, 1, QString());
    click(u"按钮3"_s);
    EXPECT_EQ(grid->cellText(1, 1), u"伸展"_s);
    EXPECT_EQ(grid->cellText(1, 0), u"1"_s);
}

}  // namespace
