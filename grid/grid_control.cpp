#include "grid/grid_control.h"

#include <QFile>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <optional>

#include "grid/grid_model.h"
#include "runtime/fonts.h"
#include "text/file_save.h"

namespace rt {

namespace {
// Pixels kept clear between a header text and the lines either side of it.
constexpr int kCellMargin = 2;
}  // namespace

QFont fixedRowFont(const QFont& face, const QString& text, int cellWidth) {
    // A header's words read better narrowed than broken over two lines,
    // which fill a designed 40-pixel row to its lines; a narrow column
    // ("间隔时间(分)" in 86 pixels) needs well below the three quarters that
    // suffice elsewhere.
    constexpr int kNarrowest = 60;
    return narrowedToFit(face, text, cellWidth - 2 * kCellMargin, false, kNarrowest);
}

// Paints the fixed rows in the horizontal header's place, so they stay in
// view while the other rows scroll under them.
class FixedRowsHeader : public QHeaderView {
  public:
    FixedRowsHeader(GridModel* model, QWidget* parent)
        : QHeaderView(Qt::Horizontal, parent), model_(model) {}

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int column) const override {
        const GridSettings& s = model_->carried.settings;
        const int fixed = std::min<int>(s.fixedRows, int(model_->rows.size()));
        painter->save();
        int top = rect.top();
        for (int row = 0; row < fixed && top <= rect.bottom(); ++row) {
            const QRect cellRect(rect.left(), top, rect.width(),
                                 gridShownSize(model_->rows[row].height));
            top += cellRect.height();
            paintCell(painter, cellRect, row, column);
        }
        painter->restore();
    }

  private:
    void paintCell(QPainter* painter, const QRect& r, int row, int column) const {
        const GridSettings& s = model_->carried.settings;
        const GridCell* cell = model_->find(row, column);
        painter->fillRect(r, gridColour(model_->attr(cell, AttrBackground)));
        if (cell && !cell->text.isEmpty()) {
            const QFont font =
                fixedRowFont(model_->qtFont(model_->fontOf(cell)), cell->text, r.width());
            painter->setFont(font);
            painter->setPen(gridColour(model_->attr(cell, AttrTextColour)));
            const Qt::Alignment a = gridAlignment(model_->attr(cell, AttrFormat));
            const QRect text = r.adjusted(kCellMargin, 0, -kCellMargin, 0);
            int pitch = 0;
            const QStringList lines = fitLines(font, cell->text, text, &pitch);
            drawLines(*painter, text, a, lines, pitch);
        }
        painter->setPen(gridColour(s.lineColour));
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->drawLine(r.bottomLeft(), r.bottomRight());
    }

    GridModel* model_;
};

// Lets the control find the editor that is open, to store its text before
// a save.
class GridEditorDelegate : public QStyledItemDelegate {
  public:
    explicit GridEditorDelegate(GridControl* grid) : QStyledItemDelegate(grid), grid_(grid) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        grid_->editor_ = editor;
        grid_->editorCell_ = index;
        return editor;
    }

  private:
    GridControl* grid_;
};

// ---- the control ----------------------------------------------------------

GridControl::GridControl(QWidget* parent) : QTableView(parent), model_(new GridModel(this)) {
    setHorizontalHeader(new FixedRowsHeader(model_, this));
    setModel(model_);
    setItemDelegate(new GridEditorDelegate(this));
    verticalHeader()->hide();
    for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
        header->setMinimumSectionSize(0);
        header->setSectionResizeMode(QHeaderView::Fixed);
    }
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectItems);
    setWordWrap(false);
    setEditTriggers(DoubleClicked | SelectedClicked | EditKeyPressed | AnyKeyPressed);
    setFont(gridFont(defaultLogFont()));
    resetToDesign();
}

void GridControl::resetToDesign() {
    GridFile designed;
    designed.settings.rows = 1;
    designed.settings.columns = 3;
    designed.settings.fixedRows = 1;
    designed.rowHeights = {designed.settings.defaultRowHeight};
    designed.columnWidths = QList<int32_t>(3, designed.settings.defaultColumnWidth);
    applyGridFile(designed);
}

GridControl::~GridControl() = default;

int GridControl::rows() const {
    return model_->rowCount();
}
int GridControl::columns() const {
    return model_->columnCount();
}
int GridControl::fixedRows() const {
    return model_->carried.settings.fixedRows;
}

void GridControl::setRows(int count) {
    const int old = rows();
    if (count <= 0 || count == old) return;
    model_->resizeRows(count, model_->carried.settings.defaultRowHeight);
    for (int r = old; r < count; ++r) syncRow(r);
    syncFixedRows();
    syncMerges();
}

void GridControl::setColumns(int count) {
    const int old = columns();
    if (count <= 0 || count == old) return;
    model_->resizeColumns(count, model_->carried.settings.defaultColumnWidth);
    for (int c = old; c < count; ++c) setColumnWidth(c, gridShownSize(model_->widths[c]));
    syncMerges();
}

void GridControl::setFixedRows(int count) {
    if (count < 0) return;
    model_->carried.settings.fixedRows = count;
    syncFixedRows();
    syncMerges();
}

int GridControl::currentRow() const {
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() : -1;
}

void GridControl::clearCursor() {
    selectionModel()->clear();
}

void GridControl::commitPendingEdit() {
    if (!editor_ || state() != EditingState) return;
    const QPointer<QWidget> editor = editor_;
    QTableView::commitData(editor);
    if (editor) QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void GridControl::commitData(QWidget* editor) {
    QTableView::commitData(editor);
    edited_ = true;
}

void GridControl::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    const QPersistentModelIndex editedCell = editorCell_;
    QTableView::closeEditor(editor, hint);
    if (!edited_) return;
    edited_ = false;
    // Raised from the event loop: the handler saves, and a save clears the
    // cursor, which must not happen inside the view's own cursor change.
    QMetaObject::invokeMethod(
        this,
        [this, editedCell] {
            // A click on another cell ended the edit: the row it picked is
            // the one the next insert or delete is meant for, so this save
            // leaves it selected.
            keepCursorOnSave_ = currentIndex().isValid() && currentIndex() != editedCell;
            if (onCellEdited) onCellEdited();
            keepCursorOnSave_ = false;
        },
        Qt::QueuedConnection);
}

bool GridControl::insertRow(const QString& title, int position) {
    GridSettings& s = model_->carried.settings;
    if (rows() == 0 && columns() == 0 && s.fixedRows == 0) {
        s.fixedRows = 1;
        s.fixedColumns = 1;
        setColumns(1);
        setRows(1);
    }
    const int count = rows();
    if (position < s.fixedRows || position >= count) position = count;
    const QModelIndex cursor = currentIndex();
    const int32_t height = count > 0 ? model_->rows[0].height : s.defaultRowHeight;
    model_->insertRowAt(position, height);
    if (columns() > 0 && !title.isEmpty()) model_->at(position, 0).text = title;
    syncRow(position);
    syncFixedRows();
    syncMerges();
    if (cursor.isValid() && cursor.row() >= position)
        selectionModel()->setCurrentIndex(model_->index(cursor.row(), cursor.column()),
                                          QItemSelectionModel::ClearAndSelect);
    return true;
}

bool GridControl::deleteRow(int row) {
    if (row < 0 || row >= rows()) return false;
    model_->removeRowAt(row);
    syncFixedRows();
    syncMerges();
    return true;
}

QVariant GridControl::cell(int row, int column) const {
    if (!model_->contains(row, column)) return {};
    const GridCell* c = model_->find(row, column);
    if (c && !c->data.isEmpty()) return c->data;
    if (c && c->check != 0) return true;
    return c ? c->text : QString();
}

QString GridControl::cellText(int row, int column) const {
    const GridCell* c = model_->find(row, column);
    return c ? c->text : QString();
}

QFont GridControl::cellFont(int row, int column) const {
    return model_->qtFont(model_->fontOf(model_->find(row, column)));
}

bool GridControl::setCellText(int row, int column, const QString& text) {
    if (!model_->contains(row, column)) return false;
    model_->setData(model_->index(row, column), text, Qt::EditRole);
    horizontalHeader()->viewport()->update();
    return true;
}

int GridControl::gridRowHeight(int row) const {
    return row >= 0 && row < rows() ? model_->rows[row].height : -1;
}

void GridControl::setGridRowHeight(int row, int height) {
    if (row < 0 || row >= rows()) return;
    model_->rows[row].height = height;
    syncRow(row);
    if (row < fixedRows()) syncFixedRows();
}

int GridControl::gridColumnWidth(int column) const {
    return column >= 0 && column < columns() ? model_->widths[column] : -1;
}

void GridControl::setGridColumnWidth(int column, int width) {
    if (column < 0 || column >= columns()) return;
    model_->widths[column] = width;
    setColumnWidth(column, gridShownSize(width));
}

bool GridControl::setFontHeight(int row, int column, int lastRow, int lastColumn, int height) {
    const auto range = model_->clip(row, column, lastRow, lastColumn);
    if (range) model_->setFontHeight(*range, height);
    horizontalHeader()->viewport()->update();
    return range.has_value();
}

int GridControl::fontHeight(int row, int column) const {
    if (!model_->contains(row, column)) return 0;
    return logFontHeight(model_->fontOf(model_->find(row, column)));
}

bool GridControl::setAlignment(int row, int column, int lastRow, int lastColumn, int alignment) {
    const auto range = model_->clip(row, column, lastRow, lastColumn);
    if (range) model_->setAlignment(*range, alignment);
    horizontalHeader()->viewport()->update();
    return range.has_value();
}

int GridControl::attribute(int row, int column, int list) const {
    if (!model_->contains(row, column) || list < 0 || list >= kAttributeLists) return 0;
    return model_->attr(model_->find(row, column), list);
}

GridFile GridControl::toGridFile() const {
    return model_->save();
}

void GridControl::applyGridFile(const GridFile& file) {
    GridModel next(nullptr);
    next.load(file);
    // Most rows share one height, and most columns one width: making them
    // the defaults leaves only the others to resize, and each resize costs
    // time in proportion to the sections there are.
    verticalHeader()->setDefaultSectionSize(next.commonRowHeight());
    horizontalHeader()->setDefaultSectionSize(
        next.commonColumnWidth(gridShownSize(file.settings.defaultColumnWidth)));
    hiddenExtent_ = 0;
    model_->resetTo(std::move(next));
    syncView();
}

bool GridControl::saveFile(const QString& path) {
    commitPendingEdit();
    if (!keepCursorOnSave_) clearCursor();
    return saveWholeFile(path, encodeGridFile(toGridFile()));
}

bool GridControl::loadFile(const QString& path) {
    removeInterruptedSaves(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    std::optional<GridFile> decoded;
    const qint64 size = file.size();
    if (uchar* mapped = size > 0 ? file.map(0, size) : nullptr)
        decoded = decodeGridFile(QByteArrayView(mapped, size));
    else
        decoded = decodeGridFile(file.readAll());
    if (!decoded) return false;
    applyGridFile(*decoded);
    return true;
}

namespace {
constexpr int kColumnsSizedOneByOne = 1024;
}  // namespace

void GridControl::syncView() {
    QHeaderView* vertical = verticalHeader();
    vertical->setUpdatesEnabled(false);
    const int common = vertical->defaultSectionSize();
    for (int r = 0; r < rows(); ++r)
        if (gridShownSize(model_->rows[r].height) != common) syncRow(r);
    vertical->setUpdatesEnabled(true);
    // Each resize costs time in proportion to the columns there are, so a
    // damaged file of countless columns of countless widths would hold the
    // window for minutes. Past the first columns (more than any table a
    // person scrolls through) the view shows the common width; the file's
    // own widths stay in the model and are saved as they came.
    const int defaultWidth = horizontalHeader()->defaultSectionSize();
    const int sized = std::min(columns(), kColumnsSizedOneByOne);
    for (int c = 0; c < sized; ++c)
        if (gridShownSize(model_->widths[c]) != defaultWidth)
            setColumnWidth(c, gridShownSize(model_->widths[c]));
    syncFixedRows();
    syncMerges();
    syncLook();
}

void GridControl::syncRow(int row) {
    setRowHeight(row, gridShownSize(model_->rows[row].height));
}

void GridControl::syncFixedRows() {
    const int limit = std::min(fixedRows(), rows());
    QHeaderView* vertical = verticalHeader();
    vertical->setUpdatesEnabled(false);
    for (int r = 0; r < limit; ++r)
        if (!isRowHidden(r)) setRowHidden(r, true);
    for (int r = limit; r < std::min(rows(), hiddenExtent_ + 1); ++r)
        if (isRowHidden(r)) setRowHidden(r, false);
    vertical->setUpdatesEnabled(true);
    hiddenExtent_ = limit;
    int height = 0;
    for (int r = 0; r < limit && height < kGridMaxShownSize; ++r)
        height += gridShownSize(model_->rows[r].height);
    horizontalHeader()->setVisible(limit > 0);
    horizontalHeader()->setFixedHeight(std::min(height, kGridMaxShownSize));
    updateGeometries();
    horizontalHeader()->viewport()->update();
}

void GridControl::syncMerges() {
    clearSpans();
    // Only well-formed, non-overlapping ranges in the scrolling rows are
    // shown merged; every record is kept either way.
    constexpr int kShownMerges = 256;
    QList<QRect> shown;
    for (const GridMerge& m : model_->carried.merges) {
        if (shown.size() >= kShownMerges) break;
        const QRect area(QPoint(m.firstColumn, m.firstRow), QPoint(m.lastColumn, m.lastRow));
        const bool inside = m.firstRow >= fixedRows() && m.firstColumn >= 0 && m.lastRow < rows() &&
                            m.lastColumn < columns() && m.firstRow <= m.lastRow &&
                            m.firstColumn <= m.lastColumn;
        if (!inside || (area.width() == 1 && area.height() == 1)) continue;
        if (std::any_of(shown.begin(), shown.end(),
                        [&](const QRect& r) { return r.intersects(area); }))
            continue;
        shown.append(area);
        setSpan(m.firstRow, m.firstColumn, area.height(), area.width());
    }
}

void GridControl::syncLook() {
    const GridSettings& s = model_->carried.settings;
    const QString sheet =
        QStringLiteral("QTableView{gridline-color:%1;background-color:%2;color:%3;}")
            .arg(gridColour(s.lineColour).name(), gridColour(s.background).name(),
                 gridColour(s.textColour).name());
    if (styleSheet() != sheet) setStyleSheet(sheet);
}

}  // namespace rt
