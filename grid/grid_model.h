#pragma once
// The grid control's state behind its view: rows with their cells, column
// widths and the parts of the grid file kept as they stand. Rows and
// columns of the model are the grid's own; the view hides the fixed rows
// and paints them in its header.

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QHash>
#include <array>
#include <optional>
#include <vector>

#include "grid/grid_format.h"

namespace rt {

// Files may hold any int as a size; the views get sane pixel counts.
inline constexpr int kGridMaxShownSize = 4096;
int gridShownSize(int32_t size);
QColor gridColour(int32_t rgb);  // from 0x00BBGGRR
QFont gridFont(const QByteArray& logFont);
Qt::Alignment gridAlignment(int32_t formatFlags);

// One cell's stored state; attribute values count only where their bit is set.
struct GridCell {
    int32_t column = 0;
    QString text;
    int32_t check = 0;
    QByteArray data;
    QByteArray font;  // empty: the grid's default font
    std::array<int32_t, kAttributeLists> attr{};
    uint8_t attrSet = 0;

    bool isPlain() const {
        return text.isEmpty() && check == 0 && data.isEmpty() && font.isEmpty() && attrSet == 0;
    }
};

struct GridRow {
    int32_t height = 24;
    std::vector<GridCell> cells;  // sorted by column; only cells that hold something
};

struct GridRange {
    int firstRow, firstColumn, lastRow, lastColumn;
};

class GridModel : public QAbstractTableModel {
  public:
    explicit GridModel(QObject* parent) : QAbstractTableModel(parent) {}

    GridFile carried;  // settings and the records kept as they stand
    std::vector<GridRow> rows;
    std::vector<int32_t> widths;
    const QByteArray defaultFont = defaultLogFont();

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(widths.size());
    }
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    bool contains(int row, int column) const {
        return row >= 0 && column >= 0 && row < int(rows.size()) && column < int(widths.size());
    }
    const GridCell* find(int row, int column) const;
    GridCell& at(int row, int column);  // creates the cell; the position must be inside
    void dropIfPlain(int row, int column);
    int32_t attr(const GridCell* cell, int list) const;
    void setAttr(int row, int column, int list, int32_t value);
    // A last row or column below the first means the first; the result is
    // clipped to the grid and empty when nothing is left.
    std::optional<GridRange> clip(int row, int column, int lastRow, int lastColumn) const;
    void setFontHeight(const GridRange& range, int32_t height);
    void setAlignment(const GridRange& range, int alignment);
    const QByteArray& fontOf(const GridCell* cell) const {
        return cell && !cell->font.isEmpty() ? cell->font : defaultFont;
    }
    QFont qtFont(const QByteArray& logFont) const;

    // The shown height most rows share (the view's default row height).
    int commonRowHeight() const;
    int commonColumnWidth(int fallback) const;
    // Structural changes, announced to the views; merges follow their rows.
    void insertRowAt(int position, int32_t height);
    void removeRowAt(int row);
    void resizeRows(int count, int32_t height);
    void resizeColumns(int count, int32_t width);

    void load(const GridFile& file);
    GridFile save() const;
    void resetTo(GridModel&& other);

  private:
    mutable QHash<QByteArray, QFont> fonts_;
};

}  // namespace rt
