#include "grid/grid_model.h"

#include <algorithm>

#include "runtime/fonts.h"

namespace rt {

int gridShownSize(int32_t size) {
    return std::clamp<int32_t>(size, 0, kGridMaxShownSize);
}

QColor gridColour(int32_t rgb) {
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

QFont gridFont(const QByteArray& logFont) {
    QFont font;
    font.setFamilies(fontFamiliesFor(logFontFace(logFont)));
    // Positive heights are cell heights, negative ones character heights;
    // both are near enough to a pixel size for drawing.
    const qint64 height = qAbs(qint64(logFontHeight(logFont)));
    font.setPixelSize(height == 0 ? 12 : int(std::min<qint64>(height, 512)));
    const int32_t weight = logFontWeight(logFont);
    if (weight > 0) font.setWeight(QFont::Weight(std::clamp<int32_t>(weight, 1, 1000)));
    font.setItalic(logFontItalic(logFont));
    font.setUnderline(logFontUnderline(logFont));
    return font;
}

Qt::Alignment gridAlignment(int32_t flags) {
    const Qt::Alignment h = (flags & gridflag::Center)  ? Qt::AlignHCenter
                            : (flags & gridflag::Right) ? Qt::AlignRight
                                                        : Qt::AlignLeft;
    if (flags & gridflag::VCenter) return h | Qt::AlignVCenter;
    return h | ((flags & gridflag::Bottom) ? Qt::AlignBottom : Qt::AlignTop);
}

const GridCell* GridModel::find(int row, int column) const {
    if (!contains(row, column)) return nullptr;
    const auto& cells = rows[row].cells;
    auto it = std::lower_bound(cells.begin(), cells.end(), column,
                               [](const GridCell& c, int col) { return c.column < col; });
    return it != cells.end() && it->column == column ? &*it : nullptr;
}

GridCell& GridModel::at(int row, int column) {
    auto& cells = rows[row].cells;
    GridCell fresh;
    fresh.column = column;
    if (!cells.empty() && cells.back().column < column) return cells.emplace_back(std::move(fresh));
    auto it = std::lower_bound(cells.begin(), cells.end(), column,
                               [](const GridCell& c, int col) { return c.column < col; });
    if (it != cells.end() && it->column == column) return *it;
    return *cells.insert(it, std::move(fresh));
}

void GridModel::dropIfPlain(int row, int column) {
    auto& cells = rows[row].cells;
    std::erase_if(cells, [column](const GridCell& c) { return c.column == column && c.isPlain(); });
}

int32_t GridModel::attr(const GridCell* cell, int list) const {
    return cell && (cell->attrSet >> list & 1) ? cell->attr[list]
                                               : attributeDefault(carried.settings, list);
}

void GridModel::setAttr(int row, int column, int list, int32_t value) {
    GridCell& cell = at(row, column);
    const bool isDefault = value == attributeDefault(carried.settings, list);
    cell.attr[list] = value;
    cell.attrSet = isDefault ? (cell.attrSet & ~(1u << list)) : (cell.attrSet | (1u << list));
    dropIfPlain(row, column);
}

std::optional<GridRange> GridModel::clip(int row, int column, int lastRow, int lastColumn) const {
    const GridRange r{std::max(row, 0), std::max(column, 0),
                      std::min(std::max(lastRow, row), rowCount() - 1),
                      std::min(std::max(lastColumn, column), columnCount() - 1)};
    if (r.firstRow > r.lastRow || r.firstColumn > r.lastColumn) return std::nullopt;
    return r;
}

void GridModel::setFontHeight(const GridRange& range, int32_t height) {
    for (int r = range.firstRow; r <= range.lastRow; ++r) {
        for (int c = range.firstColumn; c <= range.lastColumn; ++c) {
            GridCell& cell = at(r, c);
            QByteArray font = fontOf(&cell);
            setLogFontHeight(font, height);
            cell.font = font == defaultFont ? QByteArray() : font;
            dropIfPlain(r, c);
        }
    }
    Q_EMIT dataChanged(index(range.firstRow, range.firstColumn),
                       index(range.lastRow, range.lastColumn));
}

void GridModel::setAlignment(const GridRange& range, int alignment) {
    const int32_t horizontal = alignment == 2   ? gridflag::Center
                               : alignment == 3 ? gridflag::Right
                                                : 0;
    for (int r = range.firstRow; r <= range.lastRow; ++r) {
        for (int c = range.firstColumn; c <= range.lastColumn; ++c) {
            int32_t flags = attr(find(r, c), AttrFormat);
            flags =
                (flags & ~(gridflag::Center | gridflag::Right)) | horizontal | gridflag::VCenter;
            // Single-line unless the cell wraps words.
            if (!(flags & gridflag::WordBreak)) flags |= gridflag::SingleLine;
            setAttr(r, c, AttrFormat, flags);
        }
    }
    Q_EMIT dataChanged(index(range.firstRow, range.firstColumn),
                       index(range.lastRow, range.lastColumn));
}

QFont GridModel::qtFont(const QByteArray& logFont) const {
    auto it = fonts_.constFind(logFont);
    if (it == fonts_.constEnd()) it = fonts_.insert(logFont, gridFont(logFont));
    return *it;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    const GridCell* cell = find(index.row(), index.column());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return cell ? cell->text : QString();
        case Qt::FontRole:
            return qtFont(fontOf(cell));
        case Qt::TextAlignmentRole:
            return int(gridAlignment(attr(cell, AttrFormat)));
        case Qt::BackgroundRole:
            return cell && (cell->attrSet & 1) ? QVariant(gridColour(cell->attr[AttrBackground]))
                                               : QVariant();
        case Qt::ForegroundRole:
            return cell && (cell->attrSet & 2) ? QVariant(gridColour(cell->attr[AttrTextColour]))
                                               : QVariant();
        default:
            return {};
    }
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !contains(index.row(), index.column())) return false;
    at(index.row(), index.column()).text = value.toString();
    dropIfPlain(index.row(), index.column());
    Q_EMIT dataChanged(index, index);
    return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const GridCell* cell = find(index.row(), index.column());
    const bool textCell = !cell || (cell->data.isEmpty() && cell->check == 0);
    if (index.row() >= carried.settings.fixedRows && textCell) f |= Qt::ItemIsEditable;
    return f;
}

namespace {

// The shown size most of the sizes have; fallback when there are none.
template <typename Range, typename Size>
int mostCommonShownSize(const Range& items, Size size, int fallback) {
    QHash<int, int> seen;
    int best = fallback, bestCount = 0;
    for (const auto& item : items) {
        const int shown = gridShownSize(size(item));
        const int count = ++seen[shown];
        if (count > bestCount) best = shown, bestCount = count;
    }
    return best;
}

}  // namespace

int GridModel::commonRowHeight() const {
    return mostCommonShownSize(
        rows, [](const GridRow& r) { return r.height; }, 24);
}

int GridModel::commonColumnWidth(int fallback) const {
    return mostCommonShownSize(
        widths, [](int32_t w) { return w; }, fallback);
}

void GridModel::insertRowAt(int position, int32_t height) {
    beginInsertRows({}, position, position);
    GridRow row;
    row.height = height;
    rows.insert(rows.begin() + position, std::move(row));
    for (GridMerge& m : carried.merges) {
        if (m.firstRow >= position) ++m.firstRow, ++m.mainRow;
        if (m.lastRow >= position) ++m.lastRow;
    }
    endInsertRows();
}

void GridModel::removeRowAt(int row) {
    beginRemoveRows({}, row, row);
    rows.erase(rows.begin() + row);
    auto& merges = carried.merges;
    for (qsizetype i = merges.size() - 1; i >= 0; --i) {
        GridMerge& m = merges[i];
        if (m.firstRow == row && m.lastRow == row) {
            merges.removeAt(i);
            continue;
        }
        if (m.firstRow > row) --m.firstRow;
        if (m.mainRow > row) --m.mainRow;
        if (m.lastRow >= row) --m.lastRow;
    }
    endRemoveRows();
}

void GridModel::resizeRows(int count, int32_t height) {
    const int old = rowCount();
    if (count > old) {
        beginInsertRows({}, old, count - 1);
        GridRow row;
        row.height = height;
        rows.resize(count, row);
        endInsertRows();
    } else if (count < old) {
        beginRemoveRows({}, count, old - 1);
        rows.resize(count);
        endRemoveRows();
    }
}

void GridModel::resizeColumns(int count, int32_t width) {
    const int old = columnCount();
    if (count > old) {
        beginInsertColumns({}, old, count - 1);
        widths.resize(count, width);
        endInsertColumns();
    } else if (count < old) {
        beginRemoveColumns({}, count, old - 1);
        widths.resize(count);
        for (GridRow& row : rows)
            std::erase_if(row.cells, [count](const GridCell& c) { return c.column >= count; });
        endRemoveColumns();
    }
}

void GridModel::load(const GridFile& file) {
    carried = file;
    carried.rowHeights.clear();
    carried.columnWidths.clear();
    carried.cells.clear();
    carried.fonts.clear();
    for (auto& list : carried.attributes) list.clear();
    rows.assign(file.rowHeights.size(), GridRow{});
    for (qsizetype r = 0; r < file.rowHeights.size(); ++r) rows[r].height = file.rowHeights[r];
    widths.assign(file.columnWidths.begin(), file.columnWidths.end());
    // Records for cells outside the grid cannot be shown or kept in place;
    // they are left out.
    for (const GridCellRecord& c : file.cells) {
        if (!contains(c.row, c.column)) continue;
        GridCell& cell = at(c.row, c.column);
        cell.text = c.text;
        cell.check = c.check;
        cell.data = c.data;
        dropIfPlain(c.row, c.column);
    }
    for (const GridFontRecord& f : file.fonts) {
        if (!contains(f.row, f.column)) continue;
        at(f.row, f.column).font = f.logFont == defaultFont ? QByteArray() : f.logFont;
        dropIfPlain(f.row, f.column);
    }
    for (int list = 0; list < kAttributeLists; ++list)
        for (const GridAttributeRecord& a : file.attributes[list])
            if (contains(a.row, a.column)) setAttr(a.row, a.column, list, a.value);
}

GridFile GridModel::save() const {
    GridFile f = carried;
    f.settings.rows = int32_t(rows.size());
    f.settings.columns = int32_t(widths.size());
    f.columnWidths = QList<int32_t>(widths.begin(), widths.end());
    f.rowHeights.reserve(qsizetype(rows.size()));
    for (int32_t r = 0; r < int32_t(rows.size()); ++r) {
        f.rowHeights.append(rows[r].height);
        for (const GridCell& c : rows[r].cells) {
            if (!c.text.isEmpty() || c.check != 0 || !c.data.isEmpty())
                f.cells.append({r, c.column, c.text, c.check, c.data});
            if (!c.font.isEmpty()) f.fonts.append({r, c.column, c.font});
            for (int list = 0; list < kAttributeLists; ++list)
                if ((c.attrSet >> list & 1) && c.attr[list] != attributeDefault(f.settings, list))
                    f.attributes[list].append({r, c.column, c.attr[list]});
        }
    }
    return f;
}

void GridModel::resetTo(GridModel&& other) {
    beginResetModel();
    carried = std::move(other.carried);
    rows = std::move(other.rows);
    widths = std::move(other.widths);
    fonts_.clear();
    endResetModel();
}

}  // namespace rt
