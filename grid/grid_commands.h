#pragma once
// The grid's operations of the command library. Each names the grid by its
// window and control (a grid that is not loaded gives the failure result);
// the overloads taking the control itself serve the runtime and tests.
// Rows and columns count from 0, row 0 being the header row.

#include <QString>
#include <QVariant>

namespace rt {

class GridControl;

// Row of the cursor cell; -1 when no cell is current.
int gridCurrentRow(const QString& window, const QString& control);
int gridCurrentRow(GridControl& grid);

// Inserts before position with title in the first cell; an omitted (-1)
// position, one inside the header rows or one past the last row appends.
bool gridInsertRow(const QString& window, const QString& control, const QString& title,
                   int position = -1);
bool gridInsertRow(GridControl& grid, const QString& title, int position = -1);

bool gridDeleteRow(const QString& window, const QString& control, int row);
bool gridDeleteRow(GridControl& grid, int row);

// A text for a text cell, true for a checked cell, the bytes of a cell
// with attached data; an invalid QVariant outside the grid.
QVariant gridGetCell(const QString& window, const QString& control, int row, int column);
QVariant gridGetCell(GridControl& grid, int row, int column);

// Kind 1 stores value as the cell's text; false for other kinds and for a
// cell that does not exist.
inline constexpr int kGridCellText = 1;
bool gridSetCell(const QString& window, const QString& control, int row, int column, int kind,
                 const QVariant& value);
bool gridSetCell(GridControl& grid, int row, int column, int kind, const QVariant& value);

// Pixels; a column or row outside the grid is ignored.
void gridSetColumnWidth(const QString& window, const QString& control, int column, int width);
void gridSetColumnWidth(GridControl& grid, int column, int width);
void gridSetRowHeight(const QString& window, const QString& control, int row, int height);
void gridSetRowHeight(GridControl& grid, int row, int height);

// Cell rectangles: a last row or column of -1 means the first one. False
// when the rectangle is empty or outside the grid.
bool gridSetFontHeight(const QString& window, const QString& control, int row, int column,
                       int lastRow, int lastColumn, int height);
bool gridSetFontHeight(GridControl& grid, int row, int column, int lastRow, int lastColumn,
                       int height);
// Alignment 2 centres, 3 right-aligns, anything else left-aligns.
bool gridSetAlignment(const QString& window, const QString& control, int row, int column,
                      int lastRow, int lastColumn, int alignment);
bool gridSetAlignment(GridControl& grid, int row, int column, int lastRow, int lastColumn,
                      int alignment);

// Makes the grid the designed one again: one header row, three empty
// columns, no other content or look.
void gridReset(const QString& window, const QString& control);

// Clears the selection and the cursor cell (except in the save raised by an
// edit that a click on another cell ended: that cell stays current), then
// writes the whole grid to the file with rt::saveWholeFile.
bool gridSave(const QString& window, const QString& control, const QString& path);
bool gridSave(GridControl& grid, const QString& path);
// Replaces the grid's whole content and look by the file's; false for a
// missing file or one that is not a complete grid file, and then the grid
// is left as it was.
bool gridLoad(const QString& window, const QString& control, const QString& path);
bool gridLoad(GridControl& grid, const QString& path);

}  // namespace rt
