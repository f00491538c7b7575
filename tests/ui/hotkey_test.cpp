// The hotkey window and the start hotkey poll.

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QTimer>

#include "common/program_fixture.h"
#include "settings/hotkey_setting.h"
#include "ui/hotkey_window.h"

namespace zorvik::testing {
namespace {

const QString kField = u"编辑框_开始运行"_s;

class HotkeyTest : public ProgramTest {
  protected:
    static QTimer* pollTimer() {
        return qobject_cast<QTimer*>(rt::controlObject(kMain, u"时钟1"_s));
    }
    QString stored() const {
        return rt::readIniEntry(path(u"配置.ini"_s), u"热键配置"_s, u"开始"_s);
    }
    static QString fieldText() { return text(kHotkey, kField, rt::slot::EditContent); }
    static QWidget* field() { return qobject_cast<QWidget*>(rt::controlObject(kHotkey, kField)); }
    static void poll() { rt::raiseEvent(kMain, u"时钟1"_s, rt::ev::Period); }
    static QWidget* mainWidget() { return rt::windowWidget(kMain); }
    void openWindow() {
        menuItem(u"热键"_s)->trigger();
        activate(kHotkey);
    }
    void closeWindow() {
        press(kHotkey, u"按钮_热键完成"_s);
        waitUnloaded(kHotkey);
        activate(kMain);
    }
    // As if chosen in an earlier session and read at start-up.
    void storeHotkey(const QString& code) {
        rt::writeIniEntry(path(u"配置.ini"_s), u"热键配置"_s, u"开始"_s, code);
        loadStartHotkey();
    }
};

TEST(KeyNames, NameExactlyTheEightyEightKnownCodes) {
    int named = 0;
    for (int code = -1; code < 1024; ++code) named += !keyDisplayName(code).isEmpty();
    EXPECT_EQ(named, 88);
    const std::pair<int, QString> samples[] = {
        {3, u"Break"_s},   {48, u"0键"_s},         {90, u"Z键"_s},       {112, u"F1键"_s},
        {127, u"F16键"_s}, {20, u"Caps Lock键"_s}, {222, u"单引号键"_s}, {92, QString()}};
    for (const auto& [code, name] : samples) EXPECT_EQ(keyDisplayName(code), name) << code;
}

TEST_F(HotkeyTest, FieldTakesEveryKeyFromTheStartAndStoresItsCode) {
    loadMain();
    storeHotkey(u"113"_s);
    openWindow();
    EXPECT_EQ(rt::getProperty(kHotkey, kHotkey, rt::slot::Left).toInt(), 1480);
    EXPECT_EQ(rt::getProperty(kHotkey, kHotkey, rt::slot::Top).toInt(), 190);
    EXPECT_EQ(fieldText(), u"F2键"_s);
    EXPECT_EQ(hotkeyTextAtOpen, u"F2键"_s);
    EXPECT_EQ(QApplication::focusWidget(), field()) << "a key pressed at once is taken";

    // Keys as X11 delivers them carry their symbol and their place (key
    // code); the code comes from those, as Windows would give it.
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        quint32 place, symbol;
        QString code, name;
    } presses[] = {
        {Qt::Key_A, {}, 0, 0, u"65"_s, u"A键"_s},
        {Qt::Key_5, Qt::KeypadModifier, 0, 0, u"53"_s, u"5键"_s},
        {Qt::Key_5, Qt::KeypadModifier, 84, 0xffb5, u"53"_s, u"5键"_s},
        {Qt::Key_Minus, Qt::KeypadModifier, 82, 0xffad, u"189"_s, u"减号键"_s},
        {Qt::Key_Meta, {}, 134, 0xffec, u"92"_s, QString()},  // right-hand Windows key
        {Qt::Key_Meta, {}, 133, 0xffeb, u"91"_s, u"Win键"_s},
        {Qt::Key_Exclam, Qt::ShiftModifier, 10, 0x21, u"49"_s, u"1键"_s},
        {Qt::Key_Control, Qt::ControlModifier, 37, 0xffe3, u"17"_s, u"Ctrl键"_s},
        {Qt::Key_Space, {}, 0, 0, u"32"_s, u"空格键"_s},
        {Qt::Key_Return, {}, 36, 0xff0d, u"13"_s, u"回车键"_s},
        {Qt::Key_Escape, {}, 0, 0, u"27"_s, u"Esc键"_s},
        {Qt::Key_Tab, {}, 23, 0xff09, u"9"_s, QString()},
    };
    for (const auto& p : presses) {
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent e(type, p.key, p.mods, p.place, p.symbol, 0);
            QApplication::sendEvent(QApplication::focusWidget(), &e);
        }
        EXPECT_EQ(stored(), p.code) << p.code.toStdString();
        EXPECT_EQ(fieldText(), p.name) << p.code.toStdString();
        // Neither Space nor Return presses "完成", nor Tab moves away.
        EXPECT_TRUE(rt::isLoaded(kHotkey)) << p.code.toStdString();
        EXPECT_EQ(QApplication::focusWidget(), field()) << p.code.toStdString();
    }
    EXPECT_EQ(startHotkeyCode, 113);  // the new key counts once the window closes
    QApplication::processEvents();
    EXPECT_TRUE(rt::isLoaded(kHotkey));
}

// The Menu key comes as the system gives it: a keyboard context menu for
// the field, then the key. It is stored as any key, and no menu opens.
TEST_F(HotkeyTest, MenuKeyIsStoredAsItsCode) {
    loadMain();
    openWindow();
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(5, 5),
                           field()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(field(), &menu);
    QTest::keyClick(field(), Qt::Key_Menu);
    EXPECT_EQ(stored(), u"93"_s);
    EXPECT_EQ(fieldText(), QString());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "no context menu";
}

TEST_F(HotkeyTest, ClosingStartsTheTimerOnceOnlyWhenTheKeyChanged) {
    loadMain();
    storeHotkey(u"113"_s);
    openWindow();
    closeWindow();
    EXPECT_EQ(startCaption(), u"开始"_s);

    openWindow();
    QTest::keyClick(field(), Qt::Key_F3);
    closeWindow();
    EXPECT_EQ(startHotkeyCode, 114);
    EXPECT_EQ(startCaption(), u"暂停"_s);
    poll();  // the press made in the hotkey window does not act again
    EXPECT_EQ(startCaption(), u"暂停"_s);

    // The program ending with a changed key: the main window goes first.
    openWindow();
    QTest::keyClick(field(), Qt::Key_F4);
    resetTimer();
    rt::unloadAll();
    EXPECT_EQ(startHotkeyCode, 115);
}

TEST_F(HotkeyTest, PollActsOnlyForTheActiveMainWindow) {
    loadMain();
    storeHotkey(u"113"_s);
    const struct {
        Qt::Key key;
        QString after;
    } steps[] = {{Qt::Key_F2, u"暂停"_s},
                 {Qt::Key_unknown, u"暂停"_s},
                 {Qt::Key_F3, u"暂停"_s},
                 {Qt::Key_F2, u"开始"_s}};
    for (const auto& s : steps) {
        if (s.key != Qt::Key_unknown) QTest::keyClick(mainWidget(), s.key);
        poll();
        EXPECT_EQ(startCaption(), s.after);
    }
    mainWidget()->showMinimized();
    QTest::keyClick(mainWidget(), Qt::Key_F2);
    poll();
    mainWidget()->showNormal();
    activate(kMain);
    poll();  // the press was used up while minimised
    EXPECT_EQ(startCaption(), u"开始"_s);

    menuItem(u"关于"_s)->trigger();
    activate(kHelp);
    QTest::keyClick(mainWidget(), Qt::Key_F2);
    poll();
    EXPECT_EQ(startCaption(), u"开始"_s);
}

TEST_F(HotkeyTest, HeldKeyActsAtEveryPollAndNoHotkeyNeverActs) {
    loadMain();
    storeHotkey(u"113"_s);
    QTest::keyPress(mainWidget(), Qt::Key_F2);
    for (const QString& caption : {u"暂停"_s, u"开始"_s, u"暂停"_s}) {
        poll();
        EXPECT_EQ(startCaption(), caption);
    }
    QTest::keyRelease(mainWidget(), Qt::Key_F2);
    poll();
    EXPECT_EQ(startCaption(), u"暂停"_s);
    startOrPause();

    storeHotkey(u"F2"_s);  // not a number: no hotkey
    ASSERT_EQ(startHotkeyCode, 0);
    for (Qt::Key key : {Qt::Key_F2, Qt::Key_A, Qt::Key_0, Qt::Key_Space}) {
        QTest::keyClick(mainWidget(), key);
        poll();
    }
    EXPECT_EQ(startCaption(), u"开始"_s);
}

// Alt+F4 on the help window, where the system keeps its key state to
// itself (Wayland, offscreen): Alt went down in the help window and its
// release went to no window of the program. The held key is forgotten as
// the window goes, and nothing acts on it in the main window.
TEST_F(HotkeyTest, AKeyHeldInAWindowThatClosesIsForgotten) {
    loadMain();
    storeHotkey(u"18"_s);
    menuItem(u"关于"_s)->trigger();
    activate(kHelp);
    QTest::keyPress(rt::windowWidget(kHelp), Qt::Key_Alt);
    rt::destroyWindow(kHelp);
    waitUnloaded(kHelp);
    activate(kMain);
    EXPECT_FALSE(pollTimer()->isActive());
    poll();
    EXPECT_EQ(startCaption(), u"开始"_s);
}

// The poll wakes the program five times a second: it runs only while the
// hotkey is held on the main window in use, and then acts at every period.
TEST_F(HotkeyTest, PollTimerRunsOnlyWhileTheHeldKeyCanAct) {
    loadMain();
    storeHotkey(u"113"_s);
    ASSERT_TRUE(pollTimer());
    EXPECT_FALSE(pollTimer()->isActive()) << "idle";
    QTest::keyClick(mainWidget(), Qt::Key_F3);
    EXPECT_FALSE(pollTimer()->isActive()) << "another key";

    QTest::keyPress(mainWidget(), Qt::Key_F2);
    EXPECT_TRUE(pollTimer()->isActive());
    EXPECT_EQ(pollTimer()->interval(), 200);
    QTRY_COMPARE_WITH_TIMEOUT(startCaption(), u"暂停"_s, 2000);
    QTRY_COMPARE_WITH_TIMEOUT(startCaption(), u"开始"_s, 2000);  // held: the next poll acts too
    QTest::keyRelease(mainWidget(), Qt::Key_F2);
    EXPECT_FALSE(pollTimer()->isActive()) << "released";

    // Held, then the main window minimised or another window activated.
    const std::function<void()> leaveMain[] = {[] { mainWidget()->showMinimized(); },
                                               [this] {
                                                   menuItem(u"关于"_s)->trigger();
                                                   activate(kHelp);
                                               }};
    for (const auto& leave : leaveMain) {
        QTest::keyPress(mainWidget(), Qt::Key_F2);
        EXPECT_TRUE(pollTimer()->isActive());
        leave();
        EXPECT_FALSE(pollTimer()->isActive());
        QTest::keyPress(mainWidget(), Qt::Key_F2);  // pressed again while away
        EXPECT_FALSE(pollTimer()->isActive());
        QTest::keyRelease(mainWidget(), Qt::Key_F2);
        mainWidget()->showNormal();
        activate(kMain);
        EXPECT_FALSE(pollTimer()->isActive()) << "a press made while away is not acted on";
    }
    EXPECT_EQ(startCaption(), u"开始"_s);
}

}  // namespace
}  // namespace zorvik::testing
