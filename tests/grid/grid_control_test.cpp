#include <gtest/gtest.h>
#include "test_paths.h"

#include <functional>

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "grid/grid_commands.h"
#include "grid/grid_control.h"
#include "grid/grid_model.h"

#include "common/files.h"

using namespace Qt::StringLiterals;

namespace {

using zt::readAll;
using zt::writeAll;

// Waits for the event loop to deliver what the grid raises later.
bool waitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 200 && !done(); ++i) QTest::qWait(10);
    return done();
}

QLineEdit* openEditor(rt::GridControl& g, int row, int column) {
    g.setCurrentIndex(g.model()->index(row, column));
    g.edit(g.currentIndex());
    for (QLineEdit* e : g.findChildren<QLineEdit*>())
        if (e->isVisible()) return e;
    return nullptr;
}

void selectCell(rt::GridControl& g, int row, int column) {
    g.setCurrentIndex(g.model()->index(row, column));
}

// A grid shaped like the reminder table, with a few rows and some look.
void fillTable(rt::GridControl& g, int dataRows) {
    g.setRows(1 + dataRows);
    const QString headers[] = {u"间隔时间(分)"_s, u"提醒内容"_s, u"CMD命令(试验)"_s};
    for (int c = 0; c < 3; ++c) EXPECT_TRUE(rt::gridSetCell(g, 0, c, 1, headers[c]));
    for (int r = 1; r <= dataRows; ++r) rt::gridSetCell(g, r, 0, 1, QString::number(r));
    rt::gridSetRowHeight(g, 0, 40);
    rt::gridSetFontHeight(g, 0, 0, -1, 2, 20);
    rt::gridSetAlignment(g, 0, 0, -1, 2, 2);
}

TEST(GridControl, CountsAndTheDesignedGrid) {
    rt::GridControl g(nullptr);
    EXPECT_EQ(g.rows(), 1);
    EXPECT_EQ(g.columns(), 3);
    EXPECT_EQ(g.fixedRows(), 1);
    EXPECT_TRUE(g.isRowHidden(0));  // shown by the header instead
    g.setRows(0);
    g.setRows(-4);
    g.setColumns(0);
    EXPECT_EQ(g.rows(), 1);
    EXPECT_EQ(g.columns(), 3);
    g.setRows(4);
    g.setColumns(2);
    EXPECT_EQ(g.rows(), 4);
    EXPECT_EQ(g.columns(), 2);
    EXPECT_EQ(g.gridRowHeight(3), 24);
    EXPECT_FALSE(rt::gridSetCell(g, 0, 2, 1, u"gone"_s));
    g.setFixedRows(2);
    EXPECT_TRUE(g.isRowHidden(1));
    g.setFixedRows(0);
    EXPECT_FALSE(g.isRowHidden(0));
    EXPECT_FALSE(g.horizontalHeader()->isVisible());
}

TEST(GridControl, InsertAndDeleteRows) {
    rt::GridControl g(nullptr);
    fillTable(g, 3);
    EXPECT_EQ(rt::gridCurrentRow(g), -1);

    // Appends for an omitted position, one in the header row, one past the end.
    for (int position : {-1, 0, 5, 99}) EXPECT_TRUE(rt::gridInsertRow(g, u"请编辑"_s, position));
    EXPECT_EQ(g.rows(), 8);
    EXPECT_EQ(g.cellText(7, 0), u"请编辑"_s);
    EXPECT_EQ(g.gridRowHeight(7), 40);  // as tall as row 0

    selectCell(g, 2, 1);
    EXPECT_TRUE(rt::gridInsertRow(g, u"新"_s, 2));
    EXPECT_EQ(g.cellText(2, 0), u"新"_s);
    EXPECT_EQ(g.cellText(3, 0), u"2"_s);
    EXPECT_EQ(rt::gridCurrentRow(g), 2);  // the cursor keeps its place

    EXPECT_TRUE(rt::gridDeleteRow(g, 2));
    EXPECT_EQ(g.cellText(2, 0), u"2"_s);
    EXPECT_FALSE(rt::gridDeleteRow(g, 8));
    EXPECT_FALSE(rt::gridDeleteRow(g, -1));

    // Deleting the header row promotes the next row into the header.
    rt::gridDeleteRow(g, 0);
    EXPECT_TRUE(g.isRowHidden(0));
    EXPECT_FALSE(g.isRowHidden(1));

    // An empty grid first gets one header row and one header column.
    QTemporaryDir dir;
    rt::GridFile empty;
    g.applyGridFile(empty);
    EXPECT_TRUE(rt::gridInsertRow(g, u"a"_s));
    EXPECT_EQ(g.rows(), 2);
    EXPECT_EQ(g.columns(), 1);
    EXPECT_EQ(g.fixedRows(), 1);
    EXPECT_EQ(g.cellText(1, 0), u"a"_s);
    EXPECT_EQ(g.toGridFile().settings.fixedColumns, 1);
}

TEST(GridControl, CellsFontsAndAlignment) {
    rt::GridControl g(nullptr);
    g.setRows(3);
    EXPECT_TRUE(rt::gridSetCell(g, 1, 1, 1, u"喝水"_s));
    EXPECT_EQ(rt::gridGetCell(g, 1, 1).toString(), u"喝水"_s);
    EXPECT_EQ(rt::gridGetCell(g, 2, 2).toString(), QString());
    EXPECT_FALSE(rt::gridGetCell(g, 3, 0).isValid());
    EXPECT_FALSE(rt::gridSetCell(g, -1, 0, 1, u"x"_s));
    EXPECT_FALSE(rt::gridSetCell(g, 1, 1, 2, u"x"_s));

    EXPECT_TRUE(rt::gridSetFontHeight(g, 1, 0, 2, 1, 18));
    EXPECT_EQ(g.fontHeight(2, 1), 18);
    EXPECT_EQ(g.fontHeight(1, 2), -12);
    EXPECT_FALSE(rt::gridSetFontHeight(g, 5, 0, -1, -1, 18));
    EXPECT_TRUE(rt::gridSetFontHeight(g, 2, 2, 9, 9, 30));  // clipped to the grid
    EXPECT_EQ(g.fontHeight(2, 2), 30);
    EXPECT_EQ(g.model()->data(g.model()->index(2, 2), Qt::FontRole).value<QFont>().pixelSize(), 30);

    const int format = rt::AttrFormat;
    EXPECT_EQ(g.attribute(1, 0, format), 0x824);
    EXPECT_TRUE(rt::gridSetAlignment(g, 1, 0, -1, -1, 2));
    EXPECT_EQ(g.attribute(1, 0, format), 0x825);
    EXPECT_TRUE(rt::gridSetAlignment(g, 1, 0, -1, -1, 3));
    EXPECT_EQ(g.attribute(1, 0, format), 0x826);
    EXPECT_EQ(g.model()->data(g.model()->index(1, 0), Qt::TextAlignmentRole).toInt(),
              int(Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_TRUE(rt::gridSetAlignment(g, 1, 0, -1, -1, 7));
    EXPECT_EQ(g.attribute(1, 0, format), 0x824);
    // Back at the defaults, the cell needs no font or format record.
    rt::gridSetFontHeight(g, 1, 0, -1, -1, -12);
    const rt::GridFile f = g.toGridFile();
    EXPECT_TRUE(f.attributes[format].isEmpty());
    EXPECT_EQ(f.fonts.size(), 4);
}

TEST(GridControl, SaveThenLoadGivesBackTheSameGridAndBytes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"自定义提醒数据"_s);
    rt::GridControl g(nullptr);
    fillTable(g, 4);
    rt::gridSetColumnWidth(g, 1, 216);
    rt::gridSetColumnWidth(g, 7, 5);  // outside: ignored
    rt::gridSetRowHeight(g, 9, 5);
    selectCell(g, 2, 0);
    ASSERT_TRUE(rt::gridSave(g, path));
    EXPECT_EQ(rt::gridCurrentRow(g), -1);
    EXPECT_TRUE(g.selectionModel()->selectedIndexes().isEmpty());
    const QByteArray first = readAll(path);

    rt::GridControl other(nullptr);
    ASSERT_TRUE(rt::gridLoad(other, path));
    EXPECT_EQ(other.toGridFile(), g.toGridFile());
    EXPECT_EQ(other.columnWidth(1), 216);
    EXPECT_EQ(other.gridRowHeight(0), 40);
    EXPECT_EQ(other.horizontalHeader()->height(), 40);
    ASSERT_TRUE(rt::gridSave(other, path));
    EXPECT_EQ(readAll(path), first);

    // What the grid does not show rides along untouched.
    rt::GridFile extra = g.toGridFile();
    extra.settings.display = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    extra.settings.displayName = QByteArray("grid").leftJustified(32, '\0');
    extra.cellTypes = {rt::GridCellType{}};
    extra.merges = {{1, 0, 1, 0, 2, 1}};
    extra.cells.append({4, 2, u"x"_s, 1, QByteArray("\x89PNG", 4)});
    extra.attributes[rt::AttrExtra5] = {{2, 2, 4}};
    extra.secondQuads = {{{1, 2, 3, 4}}};
    const QByteArray extraBytes = rt::encodeGridFile(extra);
    writeAll(path, extraBytes);
    ASSERT_TRUE(rt::gridLoad(other, path));
    EXPECT_EQ(other.rowSpan(1, 0), 2);
    EXPECT_EQ(rt::gridGetCell(other, 4, 2).toByteArray(), QByteArray("\x89PNG", 4));
    ASSERT_TRUE(rt::gridSave(other, path));
    EXPECT_EQ(readAll(path), extraBytes);

    // A merge follows its rows when a row is inserted above it.
    rt::gridInsertRow(other, u"r"_s, 1);
    EXPECT_EQ(other.toGridFile().merges[0].firstRow, 2);
    EXPECT_EQ(other.rowSpan(2, 0), 2);

    // A damaged file of 200,000 columns of all widths loads (in a moment:
    // bench_table_file) and is saved back with every width it had.
    rt::GridFile wide = g.toGridFile();
    wide.settings.columns = 200000;
    wide.columnWidths.resize(wide.settings.columns);
    for (int c = 0; c < wide.settings.columns; ++c) wide.columnWidths[c] = 600 + c % 997 * 15;
    const QByteArray wideBytes = rt::encodeGridFile(wide);
    writeAll(path, wideBytes);
    ASSERT_TRUE(rt::gridLoad(other, path));
    EXPECT_EQ(other.columns(), 200000);
    EXPECT_EQ(other.columnWidth(1), rt::gridShownSize(615));
    ASSERT_TRUE(rt::gridSave(other, path));
    EXPECT_EQ(readAll(path), wideBytes);
}

TEST(GridControl, LoadsFilesOfEveryVersion) {
    // Files of versions 1 to 6 written from the layout by the sample-file
    // generator of the file fuzzer.
    for (int version = 1; version <= 6; ++version) {
        SCOPED_TRACE(version);
        const QString path =
            QStringLiteral(ZORVIK_SOURCE_DIR "/tests/fuzz/corpus/version%1").arg(version);
        rt::GridControl g(nullptr);
        ASSERT_TRUE(rt::gridLoad(g, path));
        EXPECT_EQ(g.rows(), 3);
        EXPECT_EQ(g.cellText(0, 2), u"CMD命令(试验)"_s);
        EXPECT_EQ(g.cellText(1, 1), u"喝水"_s);
        EXPECT_EQ(rt::gridGetCell(g, 2, 0).toByteArray(), QByteArray("\x89PNG"));
        EXPECT_EQ(g.fontHeight(0, 0), 20);
        EXPECT_EQ(g.attribute(1, 1, rt::AttrExtra7), version == 1 ? 0 : 0x00FF06);
        EXPECT_EQ(g.rowSpan(1, 0), 2);
        const rt::GridFile f = g.toGridFile();
        EXPECT_EQ(f.cellTypes.size(), 1);
        EXPECT_EQ(f.secondQuads.size(), version >= 4 ? 1 : 0);
    }
}

TEST(GridControl, RejectedFilesLeaveTheGridAsItWas) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"data"_s);
    rt::GridControl g(nullptr);
    fillTable(g, 2);
    ASSERT_TRUE(rt::gridSave(g, path));
    const QByteArray good = readAll(path);

    rt::GridControl target(nullptr);
    fillTable(target, 5);
    rt::gridSetColumnWidth(target, 2, 77);
    const rt::GridFile before = target.toGridFile();

    EXPECT_FALSE(rt::gridLoad(target, dir.filePath(u"missing"_s)));
    for (qsizetype n :
         {qsizetype(0), qsizetype(539), qsizetype(540), good.size() / 2, good.size() - 1}) {
        writeAll(path, good.left(n));
        EXPECT_FALSE(rt::gridLoad(target, path)) << n;
    }
    QByteArray version = good;
    version[4] = 7;
    writeAll(path, version);
    EXPECT_FALSE(rt::gridLoad(target, path));
    EXPECT_FALSE(rt::gridLoad(target, dir.path()));  // a folder
    EXPECT_EQ(target.toGridFile(), before);
    EXPECT_EQ(target.columnWidth(2), 77);
    EXPECT_EQ(target.rows(), 6);

    // Saving into a folder that does not exist fails and writes nothing.
    EXPECT_FALSE(rt::gridSave(target, dir.filePath(u"no/such/file"_s)));
}

TEST(GridControl, InPlaceEditStoresTextThenReportsIt) {
    QTemporaryDir dir;
    rt::GridControl g(nullptr);
    fillTable(g, 2);
    int edits = 0;
    g.onCellEdited = [&] {
        ++edits;
        // The text is stored by the time the grid reports the edit.
        EXPECT_EQ(g.cellText(1, 1), u"起身"_s);
        rt::gridSave(g, dir.filePath(u"t"_s));
    };
    g.resize(480, 176);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));

    QLineEdit* editor = openEditor(g, 1, 1);
    ASSERT_NE(editor, nullptr);
    editor->setText(u"起身"_s);
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_TRUE(waitFor([&] { return edits == 1; }));
    EXPECT_EQ(rt::gridCurrentRow(g), -1);  // the save cleared the cursor

    // Escape throws the edit away and reports nothing.
    editor = openEditor(g, 2, 1);
    ASSERT_NE(editor, nullptr);
    editor->setText(u"丢弃"_s);
    QTest::keyClick(editor, Qt::Key_Escape);
    QTest::qWait(20);
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(g.cellText(2, 1), QString());

    // A save while an editor is open stores its text first, silently.
    editor = openEditor(g, 2, 2);
    ASSERT_NE(editor, nullptr);
    editor->setText(u"dir"_s);
    rt::gridSave(g, dir.filePath(u"t"_s));
    EXPECT_EQ(g.cellText(2, 2), u"dir"_s);
    QTest::qWait(20);
    EXPECT_EQ(edits, 1);
}

TEST(GridControl, HeaderRowStaysInViewAndLooksAsDesigned) {
    rt::GridControl g(nullptr);
    fillTable(g, 60);
    g.resize(480, 176);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    g.verticalScrollBar()->setValue(g.verticalScrollBar()->maximum());
    QApplication::processEvents();
    EXPECT_GT(g.verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(g.horizontalHeader()->isVisible());
    EXPECT_EQ(g.horizontalHeader()->height(), 40);
    EXPECT_EQ(g.horizontalHeader()->sectionSize(0), g.columnWidth(0));

    const QImage image = g.grab().toImage();
    const QPoint origin = g.viewport()->mapTo(&g, QPoint(0, 0));
    // The header cell's bottom line and a body cell's right line are light
    // grey; the inside of an empty body cell is white.
    const int line = g.columnWidth(0) - 1;
    EXPECT_EQ(image.pixelColor(origin.x() + line, origin.y() + 30), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(image.pixelColor(origin.x() + 5, origin.y() - 1), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(image.pixelColor(origin.x() + g.columnWidth(0) + 100, origin.y() + 5), Qt::white);
}

}  // namespace
