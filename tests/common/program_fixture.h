#pragma once
// The whole program, assembled as the executable does, in a temporary
// program folder, with the timer on a manual clock. Tests that use it link
// zorvik_app.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/program.h"
#include "common/wait.h"
#include "runtime/runtime.h"
#include "settings/config.h"
#include "settings/import_export.h"
#include "settings/reminder_table.h"
#include "text/profile.h"
#include "text/text_codec.h"
#include "timer/clock.h"
#include "timer/engine.h"
#include "timer/timer_state.h"

namespace zt {

inline const QString kMain = QStringLiteral("主窗口");
inline const QString kHotkey = QStringLiteral("热键窗口");
inline const QString kHelp = QStringLiteral("帮助窗口");

// A kind as "提醒类型" stores it.
inline QString storedKind(zorvik::ReminderKind kind) {
    return QString::number(zorvik::reminderKindIndex(kind));
}

// Presses a button of the modal message box on the screen now: the
// question or notice the program went on from showing. False when there
// is none; its text and title through the out-parameters.
inline bool answerMessageBox(QMessageBox::StandardButton button, QString* text = nullptr,
                             QString* title = nullptr) {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->button(button)) return false;
    if (text) *text = box->text();
    if (title) *title = box->windowTitle();
    box->button(button)->click();
    return true;
}

// The reminder message boxes on screen: independent windows, any number.
inline QList<QMessageBox*> reminderBoxes() {
    QList<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w);
            box && box->objectName() == QStringLiteral("zorvikReminderBox") && box->isVisible())
            boxes << box;
    return boxes;
}

class ProgramTest : public ::testing::Test {
  protected:
    // Files placed in the program folder before the window is created.
    virtual void prepareFolder() {}

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        rt::setProgramDirectory(dir.path());
        zorvik::configFilePath.clear();
        zorvik::reminderDataPath.clear();
        zorvik::core() = zorvik::TimerCore{};
        zorvik::setClock(&clock);
        zorvik::assembleProgram();
        prepareFolder();
        ASSERT_TRUE(rt::loadWindow(kMain));
        // A first start shows the window half a second after writing the
        // default settings; the panels closed at start follow its paint.
        clock.advance(std::chrono::milliseconds(500));
        rt::completeWindow(kMain);
    }

    void TearDown() override {
        // Boxes are windows of their own: none outlives its test.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QMessageBox*>(w) && w->isVisible()) w->close();
        if (rt::isLoaded(kMain)) zorvik::resetTimer();
        zorvik::stopEngine();
        rt::unloadAll();
        zt::letMediaSettle();
        zorvik::setClock(nullptr);
        zorvik::setFolderChooser({});
    }

    // For tests of what the user sees and types: the main window active,
    // as a user finds it. The hotkey poll runs only while the key is down,
    // so tests that poll by hand meet no poll of its own.
    void loadMain() {
        if (!rt::isLoaded(kMain)) {
            ASSERT_TRUE(rt::loadWindow(kMain));
            clock.advance(std::chrono::milliseconds(500));  // a first start's pause
            rt::completeWindow(kMain);
        }
        activate(kMain);
    }
    static void activate(const QString& window) {
        rt::windowWidget(window)->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(rt::windowWidget(window)));
    }
    static QAction* menuItem(const QString& caption) {
        return qobject_cast<QAction*>(rt::controlObject(kMain, caption));
    }
    // Clicks the button itself, as a mouse would: a disabled one takes nothing.
    static void press(const QString& window, const QString& control) {
        qobject_cast<QAbstractButton*>(rt::controlObject(window, control))->click();
    }
    static QString text(const QString& window, const QString& control, int slot) {
        return rt::getProperty(window, control, slot).toString();
    }
    // Destruction is queued behind the handler that asks for it.
    static void waitUnloaded(const QString& window) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !rt::isLoaded(window); }));
    }

    QString path(const QString& name) const { return dir.path() + u'/' + name; }

    QVariant prop(const QString& control, int slot) const {
        return rt::getProperty(kMain, control, slot);
    }
    void set(const QString& control, int slot, const QVariant& v) {
        rt::setProperty(kMain, control, slot, v);
    }
    QString display() const {
        return prop(QStringLiteral("透明标签_时间显示"), rt::slot::LabelCaption).toString();
    }
    int displayColour() const {
        return prop(QStringLiteral("透明标签_时间显示"), rt::slot::LabelColour).toInt();
    }
    QString startCaption() const {
        return prop(QStringLiteral("开始"), rt::slot::ButtonCaption).toString();
    }
    void setTime(int h, int m, int s) {
        set(QStringLiteral("输入_时"), rt::slot::EditContent, QString::number(h));
        set(QStringLiteral("输入_分"), rt::slot::EditContent, QString::number(m));
        set(QStringLiteral("输入_秒"), rt::slot::EditContent, QString::number(s));
    }
    void click(const QString& control) { rt::raiseEvent(kMain, control, rt::ev::Clicked); }
    void countUpMode() { set(QStringLiteral("正计时"), rt::slot::Checked, 1); }
    void chooseKind(zorvik::ReminderKind kind) {
        set(QStringLiteral("提醒类型_组合框"), rt::slot::ComboSelection,
            zorvik::reminderKindIndex(kind));
    }
    // The stored value of a key, read straight from the file's GBK bytes.
    QString stored(const QString& section, const QString& key) const {
        return zorvik::readSetting(section, key);
    }
    QByteArray fileBytes(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Advances the manual clock one second at a time, collecting the
    // display after each second.
    QStringList runSeconds(int n) {
        QStringList shown;
        for (int i = 0; i < n; ++i) {
            clock.advanceSeconds(1);
            shown << display();
        }
        return shown;
    }

    QTemporaryDir dir;
    zorvik::ManualClock clock;
};

}  // namespace zt

// Tests of the whole program live here: the program's own names, the
// fixture's and Qt's string literals read unqualified.
namespace zorvik::testing {
using namespace Qt::StringLiterals;
using zt::kHelp;
using zt::kHotkey;
using zt::kMain;
using zt::ProgramTest;
}  // namespace zorvik::testing
