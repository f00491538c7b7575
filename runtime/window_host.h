#pragma once
// Runtime-internal: loaded windows, their controls, and the top-level
// widget that gives a window Windows-like outer-size semantics.

#include <QPointer>
#include <QRegion>
#include <QSize>
#include <QWidget>
#include <map>
#include <memory>

#include "runtime/clock.h"
#include "runtime/runtime.h"

class QMenuBar;
class QAction;

namespace rt::detail {

struct ControlEntry {
    ControlDesc desc;
    QPointer<QObject> obj;      // the widget or non-visual object
    QWidget* widget = nullptr;  // null for non-visual kinds and menu items
    QPointer<QAction> action;   // menu items
    QString tag;
};

class HostWindow;

struct WindowInstance {
    WindowDesc desc;
    QPointer<HostWindow> host;
    std::map<QString, ControlEntry> controls;
    QSize lastReportedOuter;
    // Set before the about-to-be-destroyed event is raised: a second
    // request finds the window already going. Its controls stay readable
    // until the event has run; then the window is gone for the logic.
    bool destroying = false;
    // Handlers of this window on the stack, and whether its widgets wait
    // for them to return before they are deleted.
    int handlersRunning = 0;
    bool deleteWhenIdle = false;
    bool loading = false;
    // Controls marked "later", by name, until they are built.
    QStringList later;
    // A created handler may hold the first showing back (delayFirstShow).
    std::chrono::milliseconds showDelay{0};
    Deadline showDeadline;
    bool alwaysOnTop = false;
};

// The frame a fixed single-border window has on Windows at 96 dpi. The
// stored sizes count it, so the client area is the outer size less these,
// whatever frame the system actually draws around the window.
inline constexpr int kFrameBorder = 3, kCaptionHeight = 23, kMenuBarHeight = 20;

class HostWindow : public QWidget {
    Q_OBJECT
  public:
    HostWindow(WindowInstance* instance);
    QWidget* client() const { return client_; }
    QMenuBar* menuBar() const { return menuBar_; }
    void setMenuBar(QMenuBar* bar);
    // Outer size as the logic sees it: frame and menu bar included.
    QSize outerSize() const { return outer_; }
    void setOuterSize(QSize outer);
    QPoint outerPos() const;
    void setOuterPos(QPoint p);
    void setAlwaysOnTop(bool on);
    // Keyboard focus goes only to controls of the open panels: the others
    // are not on the screen. Kept by every change of the panels; called
    // again once controls are built.
    void keepFocusOnShownPanels();
    bool closingByRequest = false;
    // A close request came while a modal dialog blocked the window: it is
    // carried out once the window is unblocked (blocked_close.cpp).
    bool closeWhenUnblocked = false;

  protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    void applyGeometry();
    void clipToPanels();
    WindowInstance* instance_;
    QWidget* client_;
    QMenuBar* menuBar_ = nullptr;
    QSize outer_;
    QRegion shown_;  // the open panels, in client coordinates
};

// Notes close requests that Qt drops while a modal dialog blocks a window.
void watchBlockedCloses();

WindowInstance* findWindow(const QString& name);
std::vector<WindowInstance*> loadedWindows();
ControlEntry* findControl(WindowInstance* w, const QString& control);
// Looks up a control of a loaded window, or stops the program with the
// runtime's programming-error box (logic never addresses unloaded windows).
ControlEntry* requireControl(const QString& window, const QString& control, bool forWrite);
QVariant dispatch(WindowInstance* w, const EventBindings& bindings, int event,
                  const QVariantList& args);
void reportResizeIfChanged(WindowInstance* w);
// Raises the about-to-be-destroyed event and takes the window down. Its
// widgets are deleted at once only when deferDelete is false (no handler of
// the window can be running); otherwise once control is back in the loop.
void finishDestroy(const QString& name, bool deferDelete);

// Slots of the kinds without a widget of their own (window_slots.cpp).
QVariant getWindowSlot(WindowInstance* w, int slot);
void setWindowSlot(WindowInstance* w, int slot, const QVariant& v);
QVariant getMenuItemSlot(ControlEntry* c, int slot);
void setMenuItemSlot(ControlEntry* c, int slot, const QVariant& v);
QVariant getNonVisualSlot(ControlEntry* c, int slot);
void setNonVisualSlot(ControlEntry* c, int slot, const QVariant& v);

// Builds the widgets of a description (controls.cpp / builder.cpp): those
// marked "later" once the window has first painted (buildLaterControls),
// or as soon as one of them is looked up.
void buildControls(WindowInstance* w);
void buildLaterControls(WindowInstance* w);
void buildMenu(WindowInstance* w);

bool onGui();

}  // namespace rt::detail
