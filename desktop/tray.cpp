#include "desktop/tray.h"

#include "names/main_window.h"
#include "runtime/runtime.h"
#include "timer/run_view.h"

using namespace Qt::StringLiterals;

namespace zorvik::desktop {

namespace {

// The menu does what the window's own buttons do, through their handlers:
// the same run steps, the same exit question.
void clickMain(const QString& control) {
    if (rt::isLoaded(kMainWindow)) rt::raiseEvent(kMainWindow, control, rt::ev::Clicked);
}

}  // namespace

void showMainWindow() {
    if (QWidget* w = rt::windowWidget(kMainWindow)) {
        if (!w->isVisible()) w->show();
        rt::loadWindow(kMainWindow);  // restores, raises and activates it
    }
}

Tray::Tray(QObject* parent) : QObject(parent) {
    startAction_ = menu_.addAction(u"开始"_s, this, [] { clickMain(ctl::kStartButton); });
    menu_.addAction(u"重置"_s, this, [] { clickMain(ctl::kResetButton); });
    menu_.addAction(u"显示主窗口"_s, this, &showMainWindow);
    menu_.addSeparator();
    menu_.addAction(u"退出"_s, this, [] { clickMain(u"按钮_退出"_s); });
    connect(&menu_, &QMenu::aboutToShow, this,
            [this] { startAction_->setText(startCaption(core().state)); });
    icon_.setContextMenu(&menu_);
    connect(&icon_, &QSystemTrayIcon::activated, this, [](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger || r == QSystemTrayIcon::DoubleClick) showMainWindow();
    });
}

void Tray::show(const RunStatus& status) {
    const int step = ringStep(status);
    if (step != step_) {
        step_ = step;
        icon_.setIcon(progressIcon(step));
    }
    icon_.setToolTip(statusText(status));
    if (!icon_.isVisible()) icon_.show();
}

void Tray::showMessage(const QString& title, const QString& text) {
    icon_.showMessage(title, text, icon_.icon(), 10000);
}

}  // namespace zorvik::desktop
