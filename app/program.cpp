// The start routine and the main window's lifecycle: creation, closing
// and destruction.

#include "app/program.h"

#include "app/end_signals.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include "names/main_window.h"
#include "runtime/caret_rest.h"
#include "runtime/first_paint.h"
#include "runtime/fonts.h"
#include "runtime/keys.h"
#include "runtime/light_palette.h"
#include "runtime/runtime.h"
#include "settings/config.h"
#include "settings/reminder_table.h"
#include "shell/table_command.h"
#include "timer/delivery.h"
#include "timer/engine.h"
#include "timer/inputs.h"
#include "timer/timer_state.h"
#include "ui/menu_actions.h"
#include "ui/panels.h"
#include "ui/window_descriptions.h"

using namespace Qt::StringLiterals;

namespace zorvik {
namespace {

void mainWindowCreated() {
    TimerCore& c = core();
    c.clockSeconds = c.clockMinutes = c.clockHours = c.elapsedSeconds = c.currentRow =
        c.customRowCount = 0;
    c.state = RunState::Idle;
    rt::setProperty(kMainWindow, ctl::kStartedAt, rt::slot::Visible, false);
    rt::setProperty(kMainWindow, ctl::kEndedAt, rt::slot::Visible, false);
    resetPanels();
    const int w = rt::getProperty(kMainWindow, kMainWindow, rt::slot::Width).toInt();
    const int h = rt::getProperty(kMainWindow, kMainWindow, rt::slot::Height).toInt();
    rt::moveControl(kMainWindow, QString(), rt::screenWidth() / 2 - w - 12,
                    rt::screenHeight() / 2 - h - 50);
    const QString display = ctl::kTimeDisplay;
    const int labelWidth = rt::getProperty(kMainWindow, display, rt::slot::Width).toInt();
    rt::setProperty(kMainWindow, display, rt::slot::Left,
                    int((rt::clientWidth(kMainWindow) - labelWidth) / 2.0));
    rt::setProperty(kMainWindow, ctl::kDivider, rt::slot::Width, rt::clientWidth(kMainWindow));
    c.rowArmed = false;
    applyTimerSettings();
}

// The panels closed at start are built after the first paint, and the
// interpreter, whose output goes to one of them, is started with them.
void mainWindowCompleted() {
    applyPanelSettings();
    rt::setProperty(kMainWindow, ctl::kCommandOutput, rt::slot::EditFont, 10, 5);
    launchCommandShell();
}

// The close question, while it is open: a second way of closing (the
// window's frame, the exit button, the tray) brings it forward instead of
// asking twice. The run goes on counting while it waits for an answer.
QPointer<QObject> question;

void askToQuit() {
    if (auto* open = qobject_cast<QWidget*>(question.data()); open && open->isVisible()) {
        open->raise();
        open->activateWindow();
        return;
    }
    question = rt::askUser(u"是否终止计时并退出计时器？"_s, rt::MbYesNo, u"提示："_s, kMainWindow,
                           [](int answer) {
                               if (answer == rt::IdYes) rt::destroyWindow(kMainWindow);
                           });
}

void releaseProgramTexts() {
    configFilePath.clear();
    reminderDataPath.clear();
}

}  // namespace

void assembleProgram() {
    static bool done = false;
    if (done) return;
    done = true;
    rt::useDefaultUiFont();
    rt::useLightPalette();
    rt::installKeyTracker();
    rt::restCaretWhenIdle();
    registerWindows();
    registerTimerHandlers();
    registerPanelHandlers();
    registerReminderTableHandlers();
    registerMenuAndHotkeyHandlers();
    rt::bindAction(u"onMainWindowCreated"_s, mainWindowCreated);
    rt::bindAction(u"onMainWindowCompleted"_s, mainWindowCompleted);
    // The window closes once the question has its Yes, never on the way.
    rt::bindHandler(u"onMainWindowMayClose"_s, [](const QVariantList&) {
        askToQuit();
        return QVariant(false);
    });
    rt::bindAction(u"onExitClicked"_s, askToQuit);
    rt::bindAction(u"onMainWindowDestroying"_s, [] {
        // Nothing the program started may outlive its window: the count,
        // every delivery under way (and the speech file), the interpreter.
        stopEngine();
        cancelDeliveries();
        shutdownCommandShell();
    });
    rt::registerExitRoutine(releaseProgramTexts);
    for (const QString& name : rt::unboundHandlers())
        qWarning("no handler is bound to the name %s", qPrintable(name));
}

int startProgram() {
    assembleProgram();
    if (qEnvironmentVariableIsSet("ZORVIK_STARTUP_PROBE"))
        new rt::FirstPaintProbe([](const QObject* o) { return o == rt::windowWidget(kMainWindow); },
                                qApp);
    endOnSignals([] {
        if (rt::isLoaded(kMainWindow))
            rt::destroyWindow(kMainWindow);
        else
            QCoreApplication::quit();
    });
    return rt::runMessageLoop(kMainWindow);
}

}  // namespace zorvik
