#pragma once
// Placeholder until the grid lands: the kind's widget with the API the
// runtime binds to its property slots and events.
#include <QTableWidget>
#include <functional>

namespace rt {
class GridControl : public QTableWidget {
    Q_OBJECT
public:
    explicit GridControl(QWidget* parent = nullptr) : QTableWidget(parent) {}
    std::function<void()> onCellEdited;
    int rows() const { return rowCount(); }
    void setRows(int n) { if (n > 0) setRowCount(n); }
    int columns() const { return columnCount(); }
    void setColumns(int n) { if (n > 0) setColumnCount(n); }
    int fixedRows() const { return fixed_; }
    void setFixedRows(int n) { fixed_ = n; }
private:
    int fixed_ = 0;
};
}  // namespace rt
