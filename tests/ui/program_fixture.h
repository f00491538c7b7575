#pragma once
// The whole program assembled as the executable assembles it, its folder
// a temporary directory, the timer on a manual clock (a started run counts
// only when a test advances it). The hotkey poll runs only while the key is
// down, so tests that poll by hand meet no poll of its own.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QTemporaryDir>
#include <QTest>

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
        assembleProgram();
        setClock(&manualClock);
        rt::setProgramDirectory(programDir.path());
        configFilePath.clear();
        reminderDataPath.clear();
    }
    void TearDown() override {
        if (rt::isLoaded(kMain)) resetTimer();
        rt::unloadAll();
        setClock(nullptr);
        setFolderChooser({});
    }
    QString programFile(const QString& name) const { return programDir.filePath(name); }
    void loadMain() {
        ASSERT_TRUE(rt::loadWindow(kMain));
        manualClock.advance(std::chrono::milliseconds(500));  // a first start's pause
        activate(kMain);
    }
    static void activate(const QString& window) {
        rt::windowWidget(window)->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(rt::windowWidget(window)));
    }
    static QAction* menuItem(const QString& caption) {
        return qobject_cast<QAction*>(rt::controlObject(kMain, caption));
    }
    static void click(const QString& window, const QString& control) {
        qobject_cast<QAbstractButton*>(rt::controlObject(window, control))->click();
    }
    static QString text(const QString& window, const QString& control, int slot) {
        return rt::getProperty(window, control, slot).toString();
    }
    static QString startCaption() {
        return text(kMain, QStringLiteral("开始"), rt::slot::ButtonCaption);
    }
    // Destruction is queued behind the handler that asks for it.
    static void waitUnloaded(const QString& window) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !rt::isLoaded(window); }));
    }
};

}  // namespace zorvik::testing
