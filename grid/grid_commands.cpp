#include "grid/grid_commands.h"

#include <functional>

#include "grid/grid_control.h"
#include "runtime/runtime.h"

namespace rt {
namespace {

// Runs op on the window thread with the named grid; fallback when the
// window is not loaded or the control is not a grid.
template <typename T>
T withGrid(const QString& window, const QString& control, T fallback,
           const std::function<T(GridControl&)>& op) {
    T result = fallback;
    onGuiThread([&] {
        if (auto* grid = qobject_cast<GridControl*>(controlObject(window, control)))
            result = op(*grid);
    });
    return result;
}

void withGrid(const QString& window, const QString& control,
              const std::function<void(GridControl&)>& op) {
    onGuiThread([&] {
        if (auto* grid = qobject_cast<GridControl*>(controlObject(window, control))) op(*grid);
    });
}

}  // namespace

int gridCurrentRow(GridControl& grid) {
    return grid.currentRow();
}
int gridCurrentRow(const QString& window, const QString& control) {
    return withGrid<int>(window, control, -1, [](GridControl& g) { return gridCurrentRow(g); });
}

bool gridInsertRow(GridControl& grid, const QString& title, int position) {
    return grid.insertRow(title, position);
}
bool gridInsertRow(const QString& window, const QString& control, const QString& title,
                   int position) {
    return withGrid<bool>(window, control, false,
                          [&](GridControl& g) { return gridInsertRow(g, title, position); });
}

bool gridDeleteRow(GridControl& grid, int row) {
    return grid.deleteRow(row);
}
bool gridDeleteRow(const QString& window, const QString& control, int row) {
    return withGrid<bool>(window, control, false,
                          [&](GridControl& g) { return gridDeleteRow(g, row); });
}

QVariant gridGetCell(GridControl& grid, int row, int column) {
    return grid.cell(row, column);
}
QVariant gridGetCell(const QString& window, const QString& control, int row, int column) {
    return withGrid<QVariant>(window, control, QVariant(),
                              [&](GridControl& g) { return gridGetCell(g, row, column); });
}

bool gridSetCell(GridControl& grid, int row, int column, int kind, const QVariant& value) {
    return kind == kGridCellText && grid.setCellText(row, column, value.toString());
}
bool gridSetCell(const QString& window, const QString& control, int row, int column, int kind,
                 const QVariant& value) {
    return withGrid<bool>(window, control, false,
                          [&](GridControl& g) { return gridSetCell(g, row, column, kind, value); });
}

void gridSetColumnWidth(GridControl& grid, int column, int width) {
    grid.setGridColumnWidth(column, width);
}
void gridSetColumnWidth(const QString& window, const QString& control, int column, int width) {
    withGrid(window, control, [&](GridControl& g) { gridSetColumnWidth(g, column, width); });
}

void gridSetRowHeight(GridControl& grid, int row, int height) {
    grid.setGridRowHeight(row, height);
}
void gridSetRowHeight(const QString& window, const QString& control, int row, int height) {
    withGrid(window, control, [&](GridControl& g) { gridSetRowHeight(g, row, height); });
}

bool gridSetFontHeight(GridControl& grid, int row, int column, int lastRow, int lastColumn,
                       int height) {
    return grid.setFontHeight(row, column, lastRow, lastColumn, height);
}
bool gridSetFontHeight(const QString& window, const QString& control, int row, int column,
                       int lastRow, int lastColumn, int height) {
    return withGrid<bool>(window, control, false, [&](GridControl& g) {
        return gridSetFontHeight(g, row, column, lastRow, lastColumn, height);
    });
}

bool gridSetAlignment(GridControl& grid, int row, int column, int lastRow, int lastColumn,
                      int alignment) {
    return grid.setAlignment(row, column, lastRow, lastColumn, alignment);
}
bool gridSetAlignment(const QString& window, const QString& control, int row, int column,
                      int lastRow, int lastColumn, int alignment) {
    return withGrid<bool>(window, control, false, [&](GridControl& g) {
        return gridSetAlignment(g, row, column, lastRow, lastColumn, alignment);
    });
}

void gridReset(const QString& window, const QString& control) {
    withGrid(window, control, [](GridControl& g) { g.resetToDesign(); });
}

bool gridSave(GridControl& grid, const QString& path) {
    return grid.saveFile(path);
}
bool gridSave(const QString& window, const QString& control, const QString& path) {
    return withGrid<bool>(window, control, false,
                          [&](GridControl& g) { return gridSave(g, path); });
}

bool gridLoad(GridControl& grid, const QString& path) {
    return grid.loadFile(path);
}
bool gridLoad(const QString& window, const QString& control, const QString& path) {
    return withGrid<bool>(window, control, false,
                          [&](GridControl& g) { return gridLoad(g, path); });
}

}  // namespace rt
