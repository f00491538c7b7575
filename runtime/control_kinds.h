#pragma once
// Kinds of control that live in libraries of their own above the window
// runtime (the grid, the media player) plug in here, so that the runtime
// builds and addresses them without knowing them. Each library registers
// its kind once, before the first window using it is loaded.

#include <QString>
#include <QVariant>
#include <functional>

#include "runtime/window_desc.h"

class QObject;
class QWidget;

namespace rt {

struct ControlKind {
    // A widget (with parent as its parent) or, for a kind without one, an
    // object owned by parent.
    std::function<QObject*(const QString& window, const ControlDesc& desc, QWidget* parent)> make;
    bool visual = true;
    // The kind's own property slots; an invalid QVariant for slots it does
    // not have.
    std::function<QVariant(QObject* control, int slot)> get;
    std::function<void(QObject* control, int slot, const QVariant& value)> set;
    // The window is going: nothing the control started may call back.
    std::function<void(QObject* control)> windowGoing;
};

void registerControlKind(Kind kind, ControlKind impl);
// Null when no library registered kind.
const ControlKind* controlKind(Kind kind);

}  // namespace rt
