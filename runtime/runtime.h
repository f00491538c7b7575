#pragma once
// The control, property and event services on which all logic is written.
// Logic names a window and a control and reads or writes a numbered slot;
// events are delivered to routines bound by name in the window description.
// Every call may come from any thread: off the window thread it is carried
// out there and the caller waits.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <chrono>
#include <functional>

#include "runtime/window_desc.h"

class QWidget;
class QObject;

namespace rt {

// Property slot numbers, as the logic uses them.
namespace slot {
inline constexpr int Left = 0, Top = 1, Width = 2, Height = 3, Tag = 4, Visible = 5, Disabled = 6,
                     Cursor = 7;
inline constexpr int WindowCaption = 8, AlwaysOnTop = 29;
inline constexpr int EditContent = 8, EditFont = 12;
inline constexpr int ButtonCaption = 10;
inline constexpr int CheckCaption = 11, Checked = 18;
inline constexpr int ComboSelection = 19;
inline constexpr int DialogType = 8, DialogTitle = 9, DialogFile = 10, DialogFilter = 11,
                     DialogFolder = 13;
inline constexpr int TimerPeriod = 8;
inline constexpr int LabelCaption = 8, LabelColour = 11;
inline constexpr int GridRows = 17, GridColumns = 18, GridFixedRows = 19;
inline constexpr int MenuCaption = 0, MenuChecked = 1, MenuDisabled = 2, MenuVisible = 3;
}  // namespace slot

// Event numbers.
namespace ev {
inline constexpr int Created = 0, MayClose = 1, Destroying = 2, Moved = 3, Resized = 4,
                     CloseRequested = 12, Completed = 13;
inline constexpr int Clicked = 0, Chosen = 0, ContentChanged = 0, Period = 0, ListClosed = 3,
                     CellEdited = 2;
inline constexpr int MouseDown = -1, MouseUp = -2, DoubleClick = -3, RightDown = -4, RightUp = -5,
                     MouseMove = -6, FocusIn = -7, FocusOut = -8, KeyDown = -9, KeyUp = -10,
                     CharTyped = -11, Wheel = -12;
}  // namespace ev

// A routine bound to an event. Arguments follow the event table (x, y, key
// state; key code, key state; ...). Returning an invalid QVariant means
// "no value"; returning false from a may-close or mouse/key handler vetoes.
using Handler = std::function<QVariant(const QVariantList& args)>;

// ---- registries --------------------------------------------------------
void registerWindow(const WindowDesc& desc);
void bindHandler(const QString& name, Handler handler);
// Convenience for handlers that take no arguments and return nothing.
void bindAction(const QString& name, std::function<void()> action);
// Handler names that registered descriptions bind and nothing has bound:
// a handler renamed on one side only.
QStringList unboundHandlers();

// ---- program ------------------------------------------------------------
// The folder of the executable; tests point it at a temporary folder.
QString programDirectory();
void setProgramDirectory(const QString& dir);

void registerExitRoutine(std::function<void()> routine);
// Loads the start-up window and runs the message loop; returns the exit code.
int runMessageLoop(const QString& startWindow);
// Runs the registered exit routines (once). Called when the program ends.
void runExitRoutines();

// ---- windows ------------------------------------------------------------
bool loadWindow(const QString& window);
// Builds the window's controls marked "later" now, if any are left, and
// raises its completed event. The runtime does it one turn after the
// window's first paint, or when one of them is looked up.
void completeWindow(const QString& window);
// Runs fn one turn after the window's first paint (one turn from now when it
// is already on screen), unless context is gone by then: for work the first
// paint need not wait for. The window need not be loaded yet.
void afterFirstPaint(const QString& window, QObject* context, std::function<void()> fn);
// From a created handler: the window is shown only after this much time
// on the clock (handlers keep running meanwhile); elsewhere it does nothing.
void delayFirstShow(const QString& window, std::chrono::milliseconds by);
// Queued: the window goes after the current handler has returned. Its
// about-to-be-destroyed event runs once however often this is called.
void destroyWindow(const QString& window);
bool isLoaded(const QString& window);
// Destroys every loaded window at once (tests use it between cases).
void unloadAll();
int clientWidth(const QString& window);
int screenWidth();
int screenHeight();
// Omitted values (INT_MIN) keep the current one.
void moveControl(const QString& window, const QString& control, int left, int top, int width = -1,
                 int height = -1);
void appendEditText(const QString& window, const QString& control, const QString& text);
// Shows a common dialog control as the open or save dialog its slots
// describe, owned by its window; done runs when it closes, with true when
// a file was chosen (the control's file name slot then holds it).
void openCommonDialog(const QString& window, const QString& control,
                      std::function<void(bool)> done);
bool isWindowActive(const QString& window);
bool isWindowMinimized(const QString& window);

// ---- properties -----------------------------------------------------------
QVariant getProperty(const QString& window, const QString& control, int slot);
void setProperty(const QString& window, const QString& control, int slot, const QVariant& value,
                 int member = -1);

// The widget (or non-visual QObject) behind a control; nullptr when the
// window is not loaded. Runtime-internal and for tests.
QObject* controlObject(const QString& window, const QString& control);
QWidget* windowWidget(const QString& window);

// Raises an event of a control as the window system would (tests and the
// runtime's own widgets use it). Returns the handler's result.
QVariant raiseEvent(const QString& window, const QString& control, int event,
                    const QVariantList& args = {});

// The folder-selection dialog, owned by window owner (a window name) and
// opening on initialFolder; chosen runs with the folder's full path, ""
// when none was chosen.
void chooseFolder(const QString& initialFolder, const QString& title, const QString& owner,
                  std::function<void(const QString&)> chosen);

// ---- message boxes ----------------------------------------------------------
inline constexpr int MbOk = 0, MbYesNo = 4;
inline constexpr int IdOk = 0, IdCancel = 1, IdAbort = 2, IdRetry = 3, IdIgnore = 4, IdYes = 5,
                     IdNo = 6;
// A question or notice. Owned by the window named owner (or by none): above
// it whether or not that one stays on top, and modal to it alone. It is
// shown and the call returns; answered runs with the button pressed, and
// not at all when the box goes unanswered with its window. Returns the box.
QObject* askUser(const QString& message, int style, const QString& caption, const QString& owner,
                 std::function<void(int)> answered = {});
// An independent box that blocks nothing; several may be open. It opens
// above the window named above (if any), even where that one stays on top,
// and is put back above it whenever one of the program's dialogs closes.
// Returns the box (it deletes itself when closed).
QObject* showMessageBoxAsync(const QString& message, const QString& caption,
                             const QString& above = QString());
// Puts every independent box back on top of the program's windows.
void raiseIndependentBoxes();
// Programming error: shows "运行时出错!" with code and message, then exits.
[[noreturn]] void fatalError(int code, const QString& message);
// The option with which fatalError starts the program again to show its
// box, followed by the box's text.
extern const char kFatalErrorOption[];

// The way onto the window thread from any other. onGuiThread runs fn there
// and the caller waits for it; postToGuiThread queues it there and the
// caller goes on. Both call fn at once when already there; without an
// application, post drops fn.
void onGuiThread(const std::function<void()>& fn);
void postToGuiThread(std::function<void()> fn);

}  // namespace rt
