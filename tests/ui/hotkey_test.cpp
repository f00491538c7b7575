// The hotkey window and the start hotkey poll.

#include "program_fixture.h"
#include "settings/hotkey_setting.h"
#include "ui/hotkey_window.h"

using namespace Qt::StringLiterals;

namespace zorvik::testing {
namespace {

const QString kField = u"编辑框_开始运行"_s;

class HotkeyTest : public ProgramTest {
  protected:
    QString storedHotkey() const {
        return rt::readIniEntry(programFile(u"配置.ini"_s), u"热键配置"_s, u"开始"_s);
    }
    static QString fieldText() { return text(kHotkey, kField, rt::slot::EditContent); }
    static QWidget* field() { return qobject_cast<QWidget*>(rt::controlObject(kHotkey, kField)); }
    static void poll() { rt::raiseEvent(kMain, u"时钟1"_s, rt::ev::Period); }
    static QWidget* mainWidget() { return rt::windowWidget(kMain); }

    void openHotkeyWindow() {
        menuItem(u"热键"_s)->trigger();
        ASSERT_TRUE(rt::isLoaded(kHotkey));
        activate(kHotkey);
        field()->setFocus();
    }
    void closeHotkeyWindow() {
        click(kHotkey, u"按钮_热键完成"_s);
        waitUnloaded(kHotkey);
        activate(kMain);
    }
    // As if chosen in an earlier session and read at start-up.
    void storeHotkey(int code) {
        ASSERT_TRUE(rt::writeIniEntry(programFile(u"配置.ini"_s), u"热键配置"_s, u"开始"_s,
                                      QString::number(code)));
        loadStartHotkey();
    }
};

TEST(KeyNames, NameExactlyTheEightyEightKnownCodes) {
    int named = 0;
    for (int code = -1; code < 1024; ++code)
        if (!keyDisplayName(code).isEmpty()) ++named;
    EXPECT_EQ(named, 88);
    EXPECT_EQ(keyDisplayName(3), u"Break"_s);
    EXPECT_EQ(keyDisplayName(48), u"0键"_s);
    EXPECT_EQ(keyDisplayName(57), u"9键"_s);
    EXPECT_EQ(keyDisplayName(65), u"A键"_s);
    EXPECT_EQ(keyDisplayName(90), u"Z键"_s);
    EXPECT_EQ(keyDisplayName(112), u"F1键"_s);
    EXPECT_EQ(keyDisplayName(127), u"F16键"_s);
    EXPECT_EQ(keyDisplayName(20), u"Caps Lock键"_s);
    EXPECT_EQ(keyDisplayName(222), u"单引号键"_s);
    for (int unnamed : {0, 9, 92, 96, 128, 223})
        EXPECT_TRUE(keyDisplayName(unnamed).isEmpty()) << unnamed;
}

TEST_F(HotkeyTest, WindowOpensBesideTheScreenEdgeShowingTheStoredKey) {
    loadMain();
    storeHotkey(113);
    openHotkeyWindow();
    EXPECT_EQ(rt::getProperty(kHotkey, kHotkey, rt::slot::Left).toInt(), 1480);
    EXPECT_EQ(rt::getProperty(kHotkey, kHotkey, rt::slot::Top).toInt(), 190);
    EXPECT_EQ(rt::getProperty(kHotkey, kHotkey, rt::slot::Width).toInt(), 380);
    EXPECT_EQ(rt::getProperty(kHotkey, kHotkey, rt::slot::Height).toInt(), 250);
    EXPECT_EQ(fieldText(), u"F2键"_s);
    EXPECT_EQ(hotkeyTextAtOpen, u"F2键"_s);
    // Asking again while it is open only brings it forward.
    EXPECT_TRUE(rt::loadWindow(kHotkey));
    EXPECT_EQ(fieldText(), u"F2键"_s);
}

TEST_F(HotkeyTest, EveryPressedKeyIsStoredAndNamedButNeverTyped) {
    loadMain();
    openHotkeyWindow();
    EXPECT_EQ(fieldText(), QString());

    QTest::keyClick(field(), Qt::Key_A);
    EXPECT_EQ(storedHotkey(), u"65"_s);
    EXPECT_EQ(fieldText(), u"A键"_s);

    QTest::keyClick(field(), Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(storedHotkey(), u"53"_s);
    EXPECT_EQ(fieldText(), u"5键"_s);

    QTest::keyClick(field(), Qt::Key_Super_R);
    EXPECT_EQ(storedHotkey(), u"92"_s);
    EXPECT_EQ(fieldText(), QString());

    // One key, never a combination: Ctrl alone is the whole hotkey.
    QTest::keyClick(field(), Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(storedHotkey(), u"17"_s);
    EXPECT_EQ(fieldText(), u"Ctrl键"_s);

    // The new key takes effect only when the window closes.
    EXPECT_EQ(startHotkeyCode, 0);
}

TEST_F(HotkeyTest, ClosingStartsTheTimerOnceOnlyWhenTheKeyChanged) {
    loadMain();
    storeHotkey(113);
    openHotkeyWindow();
    closeHotkeyWindow();
    EXPECT_EQ(startCaption(), u"开始"_s);

    openHotkeyWindow();
    QTest::keyClick(field(), Qt::Key_F3);
    EXPECT_EQ(startHotkeyCode, 113);
    closeHotkeyWindow();
    EXPECT_EQ(startHotkeyCode, 114);
    EXPECT_EQ(startCaption(), u"暂停"_s);
    // The press made in the hotkey window does not act again later.
    poll();
    EXPECT_EQ(startCaption(), u"暂停"_s);

    // Choosing the same key again is no change.
    openHotkeyWindow();
    QTest::keyClick(field(), Qt::Key_F3);
    closeHotkeyWindow();
    EXPECT_EQ(startCaption(), u"暂停"_s);

    // The program ending with the window open after a change: the main
    // window goes first and the start action has nothing left to act on.
    openHotkeyWindow();
    QTest::keyClick(field(), Qt::Key_F4);
    resetTimer();
    rt::unloadAll();
    EXPECT_FALSE(rt::isLoaded(kHotkey));
    EXPECT_EQ(startHotkeyCode, 115);
}

TEST_F(HotkeyTest, PollActsOnlyForTheActiveMainWindow) {
    loadMain();
    storeHotkey(113);
    ASSERT_EQ(startHotkeyCode, 113);

    QTest::keyClick(mainWidget(), Qt::Key_F2);
    poll();
    EXPECT_EQ(startCaption(), u"暂停"_s);
    poll();  // no new press
    EXPECT_EQ(startCaption(), u"暂停"_s);
    QTest::keyClick(mainWidget(), Qt::Key_F3);  // not the hotkey
    poll();
    EXPECT_EQ(startCaption(), u"暂停"_s);
    QTest::keyClick(mainWidget(), Qt::Key_F2);
    poll();
    EXPECT_EQ(startCaption(), u"开始"_s);

    // Minimised: the press is used up without effect.
    mainWidget()->showMinimized();
    QTest::qWait(20);
    QTest::keyClick(mainWidget(), Qt::Key_F2);
    poll();
    EXPECT_EQ(startCaption(), u"开始"_s);
    mainWidget()->showNormal();
    activate(kMain);
    poll();
    EXPECT_EQ(startCaption(), u"开始"_s);

    // Another window of the program active.
    menuItem(u"关于"_s)->trigger();
    activate(kHelp);
    QTest::keyClick(mainWidget(), Qt::Key_F2);
    poll();
    EXPECT_EQ(startCaption(), u"开始"_s);
}

TEST_F(HotkeyTest, HeldKeyActsAtEveryPollAndNoHotkeyNeverActs) {
    loadMain();
    storeHotkey(113);
    QTest::keyPress(mainWidget(), Qt::Key_F2);
    const QString expected[] = {u"暂停"_s, u"开始"_s, u"暂停"_s};
    for (const QString& caption : expected) {
        poll();
        EXPECT_EQ(startCaption(), caption);
    }
    QTest::keyRelease(mainWidget(), Qt::Key_F2);
    poll();
    poll();
    EXPECT_EQ(startCaption(), u"暂停"_s);
    startOrPause();

    // A stored code that is not a number means no hotkey at all.
    rt::writeIniEntry(programFile(u"配置.ini"_s), u"热键配置"_s, u"开始"_s, u"F2"_s);
    loadStartHotkey();
    ASSERT_EQ(startHotkeyCode, 0);
    for (Qt::Key key : {Qt::Key_F2, Qt::Key_A, Qt::Key_0, Qt::Key_Space}) {
        QTest::keyClick(mainWidget(), key);
        poll();
    }
    EXPECT_EQ(startCaption(), u"开始"_s);
}

}  // namespace
}  // namespace zorvik::testing
