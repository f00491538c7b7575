#include <QCloseEvent>
#include <QMenuBar>
#include <QTimer>

#include "runtime/window_host.h"

namespace rt::detail {

HostWindow::HostWindow(WindowInstance* instance)
    : QWidget(nullptr), instance_(instance), client_(new QWidget(this)) {
    const WindowDesc& d = instance->desc;
    setObjectName(d.name);
    setWindowTitle(d.caption);
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (d.minimizeButton) flags |= Qt::WindowMinimizeButtonHint;
    if (d.maximizeButton) flags |= Qt::WindowMaximizeButtonHint;
    setWindowFlags(flags);
    client_->setObjectName(QStringLiteral("client"));
}

void HostWindow::setMenuBar(QMenuBar* bar) {
    menuBar_ = bar;
    applyGeometry();
}

QSize HostWindow::frameExtra() const {
    if (!isVisible()) return {0, 0};
    return frameGeometry().size() - geometry().size();
}

void HostWindow::applyGeometry() {
    appliedExtra_ = frameExtra();
    const QSize inner = (outer_ - appliedExtra_).expandedTo({1, 1});
    // A fixed single border: the user cannot resize by dragging.
    if (instance_->desc.fixedBorder)
        setFixedSize(inner);
    else
        resize(inner);
    const int bar = menuBar_ ? menuBar_->sizeHint().height() : 0;
    if (menuBar_) menuBar_->setGeometry(0, 0, inner.width(), bar);
    client_->setGeometry(0, bar, inner.width(), std::max(0, inner.height() - bar));
}

void HostWindow::setOuterSize(QSize outer) {
    outer_ = outer;
    applyGeometry();
    reportResizeIfChanged(instance_);
}

QPoint HostWindow::outerPos() const { return isVisible() ? frameGeometry().topLeft() : pos(); }

void HostWindow::setOuterPos(QPoint p) { move(p); }

void HostWindow::setAlwaysOnTop(bool on) {
    if (bool(windowFlags() & Qt::WindowStaysOnTopHint) == on) return;
    const bool wasVisible = isVisible();
    const QPoint at = outerPos();
    // Changing window flags re-creates the native window; show it again in
    // place and without taking the focus from whatever has it.
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    move(at);
    if (wasVisible) show();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
}

void HostWindow::closeEvent(QCloseEvent* e) {
    if (closingByRequest || instance_->destroying) {
        e->accept();
        return;
    }
    const QString name = instance_->desc.name;
    for (int event : {ev::CloseRequested, ev::MayClose}) {
        const QVariant r = dispatch(instance_, instance_->desc.events, event, {});
        if (r.isValid() && r.typeId() == QMetaType::Bool && !r.toBool()) {
            e->ignore();
            return;
        }
        if (!findWindow(name)) return;  // the handler destroyed the window itself
    }
    e->ignore();  // the runtime destroys the window itself, after the handler
    destroyWindow(name);
}

void HostWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (frameExtra() != appliedExtra_) applyGeometry();
}

void HostWindow::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    // The frame's size is known only once the window manager has framed
    // the window; keep the outer size the logic asked for.
    QTimer::singleShot(0, this, [this] {
        if (frameExtra() != appliedExtra_) applyGeometry();
    });
}

void HostWindow::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    if (frameExtra() != appliedExtra_) applyGeometry();
}

}  // namespace rt::detail
