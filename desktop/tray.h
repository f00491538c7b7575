#pragma once
// The tray icon: the run's time and state in its tooltip, its progress as
// a filling ring, and the main window's start, reset, show and exit in its
// menu. It has no timer: it changes when the engine tells of a pass.

#include <QMenu>
#include <QSystemTrayIcon>

#include "desktop/run_status.h"

namespace zorvik::desktop {

class Tray : public QObject {
    Q_OBJECT
  public:
    explicit Tray(QObject* parent = nullptr);

    void show(const RunStatus& status);
    // A desktop notification where the desktop has no notification
    // service of its own.
    void showMessage(const QString& title, const QString& text);
    QSystemTrayIcon& icon() { return icon_; }
    QMenu& menu() { return menu_; }

  private:
    QSystemTrayIcon icon_;
    QMenu menu_;
    QAction* startAction_ = nullptr;
    int step_ = -2;  // the ring step the icon shows
};

// Brings the main window back: restored, raised and activated.
void showMainWindow();

}  // namespace zorvik::desktop
