#include <QCloseEvent>
#include <QMenuBar>
#include <QWindow>

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
    watchBlockedCloses();
}

void HostWindow::setMenuBar(QMenuBar* bar) {
    menuBar_ = bar;
    applyGeometry();
}

void HostWindow::applyGeometry() {
    // The client area follows from the stored outer size alone: a window
    // manager's frame, thin or thick, never shows more or less of it.
    const int bar = menuBar_ ? kMenuBarHeight : 0;
    const QSize client(std::max(1, outer_.width() - 2 * kFrameBorder),
                       std::max(1, outer_.height() - kCaptionHeight - 2 * kFrameBorder - bar));
    const QSize inner(client.width(), client.height() + bar);
    // A fixed single border: the user cannot resize by dragging.
    if (instance_->desc.fixedBorder)
        setFixedSize(inner);
    else
        resize(inner);
    if (menuBar_) menuBar_->setGeometry(0, 0, inner.width(), bar);
    client_->setGeometry(0, bar, client.width(), client.height());
    clipToPanels();
}

void HostWindow::clipToPanels() {
    const std::vector<PanelDesc>& panels = instance_->desc.panels;
    if (panels.empty()) return;
    QRegion shown;
    for (const PanelDesc& p : panels)
        if ((p.widths.isEmpty() || p.widths.contains(outer_.width())) &&
            (p.heights.isEmpty() || p.heights.contains(outer_.height())))
            shown += p.region;
    // What lies outside the open panels is plain window background. (An
    // empty mask would show everything; a pixel outside shows nothing.)
    shown &= client_->rect();
    client_->setMask(shown.isEmpty() ? QRegion(-1, -1, 1, 1) : shown);
    shown_ = shown;
    keepFocusOnShownPanels();
}

namespace {
// The focus policy a control had before its panel closed.
constexpr char kFocusPolicyAway[] = "zorvikFocusPolicyAway";
}  // namespace

void HostWindow::keepFocusOnShownPanels() {
    if (instance_->desc.panels.empty()) return;
    // Tab walks the window's chain of controls past those that take no
    // focus; a control of a closed panel takes none until it shows again.
    for (QWidget* w : client_->findChildren<QWidget*>()) {
        const bool onScreen = shown_.intersects(QRect(w->mapTo(client_, QPoint()), w->size()));
        const QVariant away = w->property(kFocusPolicyAway);
        if (!onScreen && !away.isValid() && w->focusPolicy() != Qt::NoFocus) {
            w->setProperty(kFocusPolicyAway, int(w->focusPolicy()));
            w->setFocusPolicy(Qt::NoFocus);
        } else if (onScreen && away.isValid()) {
            w->setFocusPolicy(Qt::FocusPolicy(away.toInt()));
            w->setProperty(kFocusPolicyAway, QVariant());
        }
    }
    // A control whose panel closes under it gives the focus on.
    QWidget* focused = focusWidget();
    if (focused && client_->isAncestorOf(focused) &&
        focused->property(kFocusPolicyAway).isValid() && !focusNextPrevChild(true))
        focused->clearFocus();
}

void HostWindow::setOuterSize(QSize outer) {
    outer_ = outer;
    applyGeometry();
    reportResizeIfChanged(instance_);
}

QPoint HostWindow::outerPos() const {
    return isVisible() ? frameGeometry().topLeft() : pos();
}

void HostWindow::setOuterPos(QPoint p) {
    move(p);
}

void HostWindow::setAlwaysOnTop(bool on) {
    if (bool(windowFlags() & Qt::WindowStaysOnTopHint) == on) return;
    const Qt::WindowFlags flags = windowFlags().setFlag(Qt::WindowStaysOnTopHint, on);
    QWindow* native = windowHandle();
    if (!native) {
        setWindowFlags(flags);
        return;
    }
    // Changing the widget's flags would re-create the native window and
    // show it inactive, so keys would go elsewhere until the user clicks
    // it. The native window changes its band in place and stays active.
    overrideWindowFlags(flags);
    native->setFlags(flags);
}

bool HostWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowUnblocked && closeWhenUnblocked) {
        closeWhenUnblocked = false;
        // After the dialog's own ending has run its course.
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
    return QWidget::event(e);
}

void HostWindow::closeEvent(QCloseEvent* e) {
    closeWhenUnblocked = false;
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

}  // namespace rt::detail
