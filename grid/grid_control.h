#pragma once
// The grid control: a table whose top (fixed) rows stay in view as its
// header while the other rows scroll and are edited in place. It holds the
// complete saved state of the grid file, including parts it does not show,
// so a load followed by a save gives back what was loaded.

#include <QPointer>
#include <QTableView>
#include <functional>

#include "grid/grid_format.h"

namespace rt {

class GridModel;

// The face a fixed row's text is drawn in, in a cell of the given width:
// the cell's own, narrowed as far as it must be to keep the text on one
// line clear of the cell's lines; a text too long even for the narrowest
// face wraps in it.
QFont fixedRowFont(const QFont& face, const QString& text, int cellWidth);

class GridControl : public QTableView {
    Q_OBJECT
  public:
    // A new grid is the designed one: one header row, three columns.
    explicit GridControl(QWidget* parent = nullptr);
    ~GridControl() override;

    // Called (from the event loop) after the user has finished an in-place
    // edit and the new text is stored.
    std::function<void()> onCellEdited;

    int rows() const;
    void setRows(int count);  // 0 or less: ignored
    int columns() const;
    void setColumns(int count);  // 0 or less: ignored
    int fixedRows() const;
    void setFixedRows(int count);  // negative: ignored

    // Row of the cursor cell; -1 when no cell is current.
    int currentRow() const;
    // Forgets the selection and the cursor cell.
    void clearCursor();
    // Stores the text of an editor still open, without raising onCellEdited.
    void commitPendingEdit();

    // Inserts before position; a position inside the fixed rows or past the
    // last row appends. The new row is as tall as row 0.
    bool insertRow(const QString& title, int position = -1);
    bool deleteRow(int row);
    // Text, or true for a checked cell, or the attached bytes; invalid outside.
    QVariant cell(int row, int column) const;
    QString cellText(int row, int column) const;
    // The face a cell is drawn in.
    QFont cellFont(int row, int column) const;
    bool setCellText(int row, int column, const QString& text);

    // Stored sizes (the view shows them clamped to sane pixels); -1 outside.
    int gridRowHeight(int row) const;
    void setGridRowHeight(int row, int height);
    int gridColumnWidth(int column) const;
    void setGridColumnWidth(int column, int width);

    // Cell ranges: a last row or column below the first means the first;
    // the range is clipped to the grid; false when nothing is left of it.
    bool setFontHeight(int row, int column, int lastRow, int lastColumn, int height);
    int fontHeight(int row, int column) const;
    // 2 centred, 3 right, anything else left.
    bool setAlignment(int row, int column, int lastRow, int lastColumn, int alignment);
    int attribute(int row, int column, int list) const;

    // Back to the designed grid: one header row, three empty columns.
    void resetToDesign();

    GridFile toGridFile() const;
    void applyGridFile(const GridFile& file);
    // Whole-file operations; false on failure, and a failed load leaves the
    // grid as it was.
    bool saveFile(const QString& path);
    bool loadFile(const QString& path);

  protected:
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

  private:
    friend class GridEditorDelegate;
    void syncView();
    void syncRow(int row);
    void syncFixedRows();
    void syncMerges();
    void syncLook();

    GridModel* model_;
    QPointer<QWidget> editor_;
    QPersistentModelIndex editorCell_;
    bool edited_ = false;
    bool keepCursorOnSave_ = false;
    int hiddenExtent_ = 0;
};

}  // namespace rt
