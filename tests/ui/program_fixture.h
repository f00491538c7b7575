#pragma once
// The whole program assembled as the executable assembles it, with the
// program folder in a temporary directory and the timer on a manual clock
// (a started run counts only when a test advances the clock).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "app/program.h"
#include "runtime/profile.h"
#include "runtime/runtime.h"
#include "settings/config.h"
#include "settings/import_export.h"
#include "settings/reminder_table.h"
#include "timer/clock.h"
#include "timer/engine.h"

namespace zorvik::testing {

inline const QString kMain = QStringLiteral("主窗口");
inline const QString kHotkey = QStringLiteral("热键窗口");
inline const QString kHelp = QStringLiteral("帮助窗口");

class ProgramTest : public ::testing::Test {
  protected:
    QTemporaryDir programDir;
    ManualClock manualClock;

    void SetUp() override {
        ASSERT_TRUE(programDir.isValid());
        assembleProgram();
        setClock(&manualClock);
        rt::setProgramDirectory(programDir.path());
        configFilePath.clear();
        reminderDataPath.clear();
        setFolderChooser({});
    }

    void TearDown() override {
        if (rt::isLoaded(kMain)) resetTimer();
        rt::unloadAll();
        rt::processPendingEvents();
        setClock(nullptr);
        setFolderChooser({});
    }

    QString programFile(const QString& name) const { return programDir.filePath(name); }

    // Loads the main window and makes it the active window. The hotkey
    // poll timer is stopped so that tests run the poll themselves.
    void loadMain() {
        ASSERT_TRUE(rt::loadWindow(kMain));
        rt::setProperty(kMain, QStringLiteral("时钟1"), rt::slot::TimerPeriod, 0);
        activate(kMain);
    }

    static void activate(const QString& window) {
        QWidget* w = rt::windowWidget(window);
        ASSERT_NE(w, nullptr);
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }

    static QAction* menuItem(const QString& caption) {
        return qobject_cast<QAction*>(rt::controlObject(kMain, caption));
    }

    static void click(const QString& window, const QString& control) {
        auto* b = qobject_cast<QAbstractButton*>(rt::controlObject(window, control));
        ASSERT_NE(b, nullptr) << control.toStdString();
        b->click();
    }

    static QString text(const QString& window, const QString& control, int slot) {
        return rt::getProperty(window, control, slot).toString();
    }

    static QString startCaption() {
        return text(kMain, QStringLiteral("开始"), rt::slot::ButtonCaption);
    }

    // Destruction is queued behind the handler that asks for it: wait
    // until the window is gone.
    static void waitUnloaded(const QString& window) {
        for (int i = 0; i < 100 && rt::isLoaded(window); ++i) QTest::qWait(10);
        ASSERT_FALSE(rt::isLoaded(window));
    }
};

}  // namespace zorvik::testing
