#include "grid/grid_kind.h"

#include "grid/grid_control.h"
#include "runtime/control_kinds.h"
#include "runtime/runtime.h"

namespace rt {

void registerGridKind() {
    ControlKind kind;
    kind.make = [](const QString& window, const ControlDesc& d, QWidget* parent) -> QObject* {
        auto* g = new GridControl(parent);
        g->onCellEdited = [window, name = d.name] { raiseEvent(window, name, ev::CellEdited); };
        return g;
    };
    kind.get = [](QObject* control, int s) -> QVariant {
        auto* g = static_cast<GridControl*>(control);
        if (s == slot::GridRows) return g->rows();
        if (s == slot::GridColumns) return g->columns();
        if (s == slot::GridFixedRows) return g->fixedRows();
        return {};
    };
    kind.set = [](QObject* control, int s, const QVariant& v) {
        auto* g = static_cast<GridControl*>(control);
        if (s == slot::GridRows) g->setRows(v.toInt());
        if (s == slot::GridColumns) g->setColumns(v.toInt());
        if (s == slot::GridFixedRows) g->setFixedRows(v.toInt());
    };
    registerControlKind(Kind::Grid, std::move(kind));
}

}  // namespace rt
