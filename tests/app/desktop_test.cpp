// The built program on a desktop as its users have one: a private X server
// with a window manager (openbox), driven by real X events (xdotool), seen
// through screenshots and, as a screen reader sees it, the accessibility
// bus. With ZORVIK_SCREENSHOT_DIR set, the screenshots are saved there.

#include <gtest/gtest.h>
#include "test_paths.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <memory>
#include <vector>

#include "desktop.h"
#include "names/reminder_kinds.h"
#include "text/profile.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int kMenuBar = 20;
const QRect kTimer(0, 0, 258, 241), kSettings(258, 0, 305, 253), kTable(0, 244, 561, 273),
    kFooter(0, 511, 878, 25);

void save(const QImage& shot, const QRect& frame, const QString& name) {
    const QString dir = qEnvironmentVariable("ZORVIK_SCREENSHOT_DIR");
    if (!dir.isEmpty()) shot.copy(frame).save(QDir(dir).filePath(name + u".png"_s));
}

// Inside the client area, what lies outside the open panels is plain
// window background: nothing of a closed panel shows.
void expectOnlyPanels(const QImage& shot, const QRect& inside, const QList<QRect>& open) {
    const QPoint client = inside.topLeft() + QPoint(0, kMenuBar);
    const QRgb background = shot.pixel(client + QPoint(250, 80));
    int strays = 0;
    for (int y = 0; y < inside.height() - kMenuBar; ++y)
        for (int x = 0; x < inside.width(); ++x)
            if (std::none_of(open.begin(), open.end(),
                             [&](const QRect& r) { return r.contains(x, y); }))
                strays += shot.pixel(client + QPoint(x, y)) != background;
    EXPECT_EQ(strays, 0) << "pixels of closed panels at " << inside.width() << " x "
                         << inside.height();
}

class DesktopTest : public ::testing::Test {
  protected:
    void start(int parts) {
        desktop = std::make_unique<Desktop>(parts);
        ASSERT_TRUE(desktop->ready()) << "X server, window manager or accessibility bus";
        ASSERT_TRUE(desktop->startProgram());
        window = desktop->programWindow();
    }
    QPoint client() const { return desktop->inside(window).topLeft() + QPoint(0, kMenuBar); }
    // Opens the menu "程序" and waits for it on the screen: keys typed
    // before it is mapped would go to the window.
    void openProgramMenu() {
        const auto shown = [&] {
            return desktop
                ->run(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--class"_s, u"zorvik"_s})
                .count('\n');
        };
        const qsizetype before = shown();
        desktop->click(desktop->inside(window).topLeft() + QPoint(20, 10));
        EXPECT_TRUE(QTest::qWaitFor([&] { return shown() > before; }, 5000)) << "menu 程序";
    }
    // Clicks a point of the client area and waits for the window's inside
    // to take the given size.
    void clickAndResize(QPoint at, QSize inside) {
        desktop->click(client() + at);
        EXPECT_TRUE(QTest::qWaitFor([&] { return desktop->inside(window).size() == inside; }, 5000))
            << inside.width() << " x " << inside.height();
        QTest::qWait(300);
    }
    QString setting(const QString& section, const QString& key) const {
        return rt::readIniEntry(desktop->folder() + u"/配置.ini"_s, section, key);
    }
    std::unique_ptr<Desktop> desktop;
    QString window;
};

// On bare X and under openbox alike: the client area does not depend on
// the frame around it.
class PanelsTest : public DesktopTest, public ::testing::WithParamInterface<int> {};

TEST_P(PanelsTest, ClientAreaShowsOnlyThePanelsOfItsSize) {
    ASSERT_NO_FATAL_FAILURE(start(GetParam()));
    const auto save = [&](const QImage& shot, const QRect& frame, const QString& name) {
        if (GetParam() == Desktop::WindowManager) ::save(shot, frame, name);
    };
    // The stored outer size less a Windows frame, whatever openbox draws.
    EXPECT_EQ(desktop->inside(window).size(), QSize(259, 271));
    QImage shot = desktop->screenshot();
    expectOnlyPanels(shot, desktop->inside(window), {kTimer});
    save(shot, desktop->frame(window), u"main-compact"_s);

    clickAndResize({226, 168}, {554, 271});  // "设置>"
    shot = desktop->screenshot();
    expectOnlyPanels(shot, desktop->inside(window), {kTimer, kSettings});
    save(shot, desktop->frame(window), u"main-settings"_s);

    clickAndResize({330, 223}, {554, 551});  // "配置↓"
    shot = desktop->screenshot();
    expectOnlyPanels(shot, desktop->inside(window), {kTimer, kSettings, kTable, kFooter});
    save(shot, desktop->frame(window), u"main-table"_s);

    clickAndResize({401, 284}, {872, 551});  // "启用CMD"
    save(desktop->screenshot(), desktop->frame(window), u"main-full"_s);

    desktop->click(client() + QPoint(327, 284));  // "帮助"
    const QString help = desktop->waitForWindow(u"ZorvikV1.0——帮助"_s);
    ASSERT_FALSE(help.isEmpty());
    QTest::qWait(300);
    desktop->key(u"ctrl+End"_s);  // the picture shows the indented lines
    QTest::qWait(300);
    save(desktop->screenshot(), desktop->frame(help), u"help"_s);

    // The menu's last item opens the record of the time spent.
    const QString today = QDate::currentDate().toString(u"yyyy-MM-dd "_s);
    QFile record(desktop->folder() + u"/计时记录.csv"_s);
    ASSERT_TRUE(record.open(QIODevice::WriteOnly));
    record.write((u"\uFEFF开始,结束,设定秒数,计时秒数,方式,结果\r\n"_s + today + u"08:00:00,"_s +
                  today + u"08:25:00,1500,1500,倒计时,完成\r\n"_s + today + u"09:00:00,"_s + today +
                  u"09:12:40,1500,760,正计时,重置\r\n"_s)
                     .toUtf8());
    record.close();
    openProgramMenu();
    desktop->key(u"Down Down Down Down Return"_s);
    const QString history = desktop->waitForWindow(u"ZorvikV1.0——计时记录"_s);
    ASSERT_FALSE(history.isEmpty());
    QTest::qWait(300);
    save(desktop->screenshot(), desktop->frame(history), u"history"_s);
}

INSTANTIATE_TEST_SUITE_P(Desktop, PanelsTest,
                         ::testing::Values(int(Desktop::Bare), int(Desktop::WindowManager)),
                         [](const auto& info) {
                             return info.param == Desktop::Bare ? "BareX" : "Openbox";
                         });

// A dark desktop theme (GTK's, through Qt's GTK platform theme) leaves the
// window as light as it is drawn: light faces behind the digits and in the
// group boxes, black captions in them.
TEST_F(DesktopTest, DarkDesktopThemeKeepsTheLightLook) {
    desktop = std::make_unique<Desktop>(Desktop::WindowManager);
    ASSERT_TRUE(desktop->ready());
    desktop->setVariable(u"QT_QPA_PLATFORMTHEME"_s, u"gtk3"_s);
    desktop->setVariable(u"GTK_THEME"_s, u"Adwaita:dark"_s);
    ASSERT_TRUE(desktop->startProgram());
    window = desktop->programWindow();
    clickAndResize({226, 168}, {554, 271});  // "设置>"
    clickAndResize({330, 223}, {554, 551});  // "配置↓"
    const QImage shot = desktop->screenshot();
    save(shot, desktop->frame(window), u"main-dark-theme"_s);
    const auto at = [&](int x, int y) { return shot.pixelColor(client() + QPoint(x, y)); };
    const auto darkest = [&](const QRect& area) {
        int lightness = 255;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                lightness = std::min(lightness, at(x, y).lightness());
        return lightness;
    };
    // The style shades a group box's inside a little; light stays light.
    const auto light = [&](int x, int y) { return at(x, y).lightness() >= 0xE0; };
    EXPECT_TRUE(light(10, 30)) << "behind the digits";
    EXPECT_LT(darkest({24, 6, 208, 56}), 40) << "the digits";
    EXPECT_TRUE(light(265, 150)) << "the settings group box";
    EXPECT_TRUE(light(530, 165)) << "a group box of its own colour";
    EXPECT_TRUE(light(7, 400)) << "the table's group box";
    EXPECT_LT(darkest({400, 218, 86, 12}), 80) << "\"启用自定义提醒\"";
    EXPECT_LT(darkest({411, 278, 46, 12}), 80) << "\"启用CMD\"";
}

// Where a window is in the window manager's stacking, bottom first: -1
// when it is not managed.
int stackingPlace(const Desktop& desktop, const QString& window) {
    const QByteArray list =
        desktop.run(u"xprop"_s, {u"-root"_s, u"-notype"_s, u"_NET_CLIENT_LIST_STACKING"_s});
    const QList<QByteArray> ids = list.mid(list.indexOf('#') + 1).split(',');
    for (int i = 0; i < ids.size(); ++i)
        if (ids[i].trimmed().toULongLong(nullptr, 16) == window.toULongLong()) return i;
    return -1;
}

// With the main window kept on top, the import folder chooser and the
// export notice open above it, where the user sees and answers them.
TEST_F(DesktopTest, DialogsOpenAboveTheWindowKeptOnTop) {
    ASSERT_NO_FATAL_FAILURE(start(Desktop::WindowManager));
    desktop->click(client() + QPoint(138, 168));  // "窗口置顶"
    ASSERT_TRUE(QTest::qWaitFor([&] { return setting(u"计时"_s, u"窗口置顶"_s) == u"真"_s; }));
    const struct {
        QString keys, title, answer;
    } dialogs[] = {{u"Down Down Down Right Down Return"_s, u"导出功能提示"_s, u"Return"_s},
                   {u"Down Down Down Right Return"_s, u"——请选择导入的文件夹"_s, u"Escape"_s}};
    for (const auto& d : dialogs) {
        openProgramMenu();
        desktop->key(d.keys);
        const QString dialog = desktop->waitForWindow(d.title);
        ASSERT_FALSE(dialog.isEmpty()) << d.title.toStdString();
        QTest::qWait(300);
        if (d.title == u"导出功能提示"_s)
            save(desktop->screenshot(), desktop->frame(dialog), u"export-notice"_s);
        EXPECT_GT(stackingPlace(*desktop, dialog), stackingPlace(*desktop, window))
            << d.title.toStdString();
        desktop->key(d.answer);
        EXPECT_TRUE(QTest::qWaitFor([&] { return stackingPlace(*desktop, dialog) < 0; }, 5000));
    }
}

// Close requests sent straight to the window, as a window manager's close
// or a session's at logout, on a machine kept busy: each is asked, at once,
// or, while the folder chooser blocks the window, once the chooser has gone.
TEST_F(DesktopTest, EveryCloseRequestIsAskedEvenWhileADialogBlocksTheWindow) {
    std::vector<std::unique_ptr<QProcess>> load;
    for (int i = 0; i < 3; ++i) {
        load.push_back(std::make_unique<QProcess>());
        load.back()->start(u"timeout"_s, {u"60"_s, u"sh"_s, u"-c"_s, u"while :; do :; done"_s});
    }
    ASSERT_NO_FATAL_FAILURE(start(Desktop::WindowManager));
    const auto sendClose = [&] {
        return desktop->run(QStringLiteral(ZORVIK_BINARY_DIR "/tests/send_close"), {window});
    };
    const auto answerNo = [&](const QString& question) {
        desktop->run(u"xdotool"_s, {u"windowactivate"_s, u"--sync"_s, question});
        desktop->key(u"Escape"_s);
        return QTest::qWaitFor([&] { return stackingPlace(*desktop, question) < 0; }, 5000);
    };
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(sendClose(), "sent\n");
        const QString question = desktop->waitForWindow(u"提示："_s);
        ASSERT_FALSE(question.isEmpty()) << "a close with nothing in the way";
        ASSERT_TRUE(answerNo(question));

        openProgramMenu();
        desktop->key(u"Down Down Down Right Return"_s);  // 导入
        const QString chooser = desktop->waitForWindow(u"——请选择导入的文件夹"_s);
        ASSERT_FALSE(chooser.isEmpty());
        ASSERT_EQ(sendClose(), "sent\n");
        QTest::qWait(300);
        EXPECT_TRUE(desktop->run(u"xdotool"_s, {u"search"_s, u"--name"_s, u"^提示：$"_s}).isEmpty())
            << "the question waits for the chooser";
        desktop->run(u"xdotool"_s, {u"windowactivate"_s, u"--sync"_s, chooser});
        desktop->key(u"Escape"_s);
        const QString later = desktop->waitForWindow(u"提示："_s);
        ASSERT_FALSE(later.isEmpty()) << "the close that came under the chooser was dropped";
        ASSERT_TRUE(answerNo(later));
    }
    for (auto& busy : load) busy->kill();
    for (auto& busy : load) busy->waitForFinished();
}

// A reminder that falls due while the close question is open is above the
// main window after the question is answered No, whether the window is
// kept on top or not.
TEST_F(DesktopTest, RemindersStayAboveTheWindowAfterTheCloseQuestion) {
    for (const QString& onTop : {u"真"_s, u"假"_s}) {
        SCOPED_TRACE(onTop.toStdString());
        desktop.reset();  // one X server at a time
        desktop = std::make_unique<Desktop>(Desktop::WindowManager);
        ASSERT_TRUE(desktop->ready());
        // A five-minute count with a message box every 3 s, started with F2.
        const QString config = desktop->folder() + u"/配置.ini"_s;
        for (const auto& [key, value] :
             {std::pair{u"分"_s, u"5"_s},
              {u"提醒类型"_s,
               QString::number(zorvik::reminderKindIndex(zorvik::ReminderKind::Box))},
              {u"间隔提醒时间"_s, u"0.05"_s},
              {u"窗口置顶"_s, onTop},
              {u"最终结束音"_s, u"假"_s}})
            ASSERT_TRUE(rt::writeIniEntry(config, u"计时"_s, key, value));
        ASSERT_TRUE(rt::writeIniEntry(config, u"热键配置"_s, u"开始"_s, u"113"_s));
        ASSERT_TRUE(desktop->startProgram());
        window = desktop->programWindow();
        desktop->key(u"F2"_s);
        QTest::qWait(1000);  // the start key acts at its poll, before the question takes the keys
        desktop->click(client() + QPoint(223, 216));  // "按钮_退出"
        const QString question = desktop->waitForWindow(u"提示："_s);
        ASSERT_FALSE(question.isEmpty());
        const QString reminder = desktop->waitForWindow(u"时间到！！！！！"_s);
        ASSERT_FALSE(reminder.isEmpty()) << "a reminder fell due";
        desktop->run(u"xdotool"_s, {u"windowactivate"_s, u"--sync"_s, question});
        desktop->key(u"Escape"_s);  // No
        ASSERT_TRUE(QTest::qWaitFor([&] { return stackingPlace(*desktop, question) < 0; }, 5000));
        QTest::qWait(500);
        EXPECT_GT(stackingPlace(*desktop, reminder), stackingPlace(*desktop, window));
    }
}

TEST_F(DesktopTest, StayOnTopKeepsTheWindowActive) {
    ASSERT_NO_FATAL_FAILURE(start(Desktop::WindowManager));
    ASSERT_EQ(desktop->activeWindow(), window);
    for (const QString& state : {u"真"_s, u"假"_s, u"真"_s}) {
        desktop->click(client() + QPoint(138, 168));  // "窗口置顶"
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return setting(u"计时"_s, u"窗口置顶"_s) == state; }, 5000));
        QTest::qWait(200);
        EXPECT_EQ(desktop->activeWindow(), window) << "after " << state.toStdString();
        const QByteArray wmState = desktop->run(u"xprop"_s, {u"-id"_s, window, u"_NET_WM_STATE"_s});
        EXPECT_EQ(wmState.contains("_NET_WM_STATE_ABOVE"), state == u"真"_s) << wmState.data();
    }
}

TEST_F(DesktopTest, HotkeyFieldTakesTheWindowsAndMenuKeysAndSpace) {
    ASSERT_NO_FATAL_FAILURE(start(Desktop::WindowManager));
    openProgramMenu();
    desktop->key(u"Down Down"_s);
    QTest::qWait(300);
    save(desktop->screenshot(), desktop->frame(window), u"menu"_s);
    desktop->key(u"Return"_s);  // "热键"
    const QString hotkey = desktop->waitForWindow(u"热键"_s);
    ASSERT_FALSE(hotkey.isEmpty());
    const struct {
        QString key, code;
    } presses[] = {{u"Super_R"_s, u"92"_s}, {u"Super_L"_s, u"91"_s},
                   {u"Menu"_s, u"93"_s},  // no context menu takes the keys after it
                   {u"space"_s, u"32"_s},   {u"shift+1"_s, u"49"_s},
                   {u"Return"_s, u"13"_s}};
    for (const auto& p : presses) {
        desktop->key(p.key);
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return setting(u"热键配置"_s, u"开始"_s) == p.code; }, 5000))
            << p.key.toStdString() << " stored " << setting(u"热键配置"_s, u"开始"_s).toStdString();
    }
    EXPECT_EQ(desktop->waitForWindow(u"热键"_s, 2000), hotkey) << "still open";
    save(desktop->screenshot(), desktop->frame(hotkey), u"hotkey"_s);
}

// Alt is the start hotkey; Alt+F4 closes the help window. The window
// manager takes the keys and the window that had them is gone, so the
// program never sees Alt go up. Alt is not held for that: the start button
// keeps its caption, and a press of Alt in the main window still starts.
TEST_F(DesktopTest, AltF4OnTheHelpWindowLeavesTheAltHotkeyStill) {
    desktop = std::make_unique<Desktop>(Desktop::WindowManager);
    ASSERT_TRUE(desktop->ready());
    const QString config = desktop->folder() + u"/配置.ini"_s;
    for (const auto& [key, value] : {std::pair{u"分"_s, u"5"_s}, {u"最终结束音"_s, u"假"_s}})
        ASSERT_TRUE(rt::writeIniEntry(config, u"计时"_s, key, value));
    ASSERT_TRUE(rt::writeIniEntry(config, u"热键配置"_s, u"开始"_s, u"18"_s));
    ASSERT_TRUE(desktop->startProgram());
    window = desktop->programWindow();
    const auto startButton = [&] {
        return desktop->screenshot().copy(QRect(client() + QPoint(16, 197), QSize(120, 40)));
    };
    openProgramMenu();
    desktop->key(u"Right Return"_s);  // "帮助" → "关于"
    const QString help = desktop->waitForWindow(u"ZorvikV1.0——帮助"_s);
    ASSERT_FALSE(help.isEmpty());
    QTest::qWait(300);
    desktop->key(u"alt+F4"_s);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return desktop->waitForWindow(u"ZorvikV1.0——帮助"_s, 100).isEmpty(); }, 5000));
    QTest::qWait(300);
    ASSERT_EQ(desktop->activeWindow(), window);
    const QImage still = startButton();
    for (int look = 0; look < 20; ++look) {
        QTest::qWait(100);
        ASSERT_EQ(startButton(), still)
            << "the caption changed after " << (look + 1) * 100 << " ms";
    }
    desktop->key(u"alt"_s);
    EXPECT_TRUE(QTest::qWaitFor([&] { return startButton() != still; }, 3000))
        << "a press of Alt in the main window starts the timer";
}

TEST_F(DesktopTest, ScreenReaderHearsTheTimeTheEndOfARunAndTheCloseQuestion) {
    desktop = std::make_unique<Desktop>(Desktop::WindowManager | Desktop::AccessibilityBus);
    ASSERT_TRUE(desktop->ready());
    // A two-second countdown, without the end sound.
    const QString config = desktop->folder() + u"/配置.ini"_s;
    for (const auto& [key, value] : {std::pair{u"时"_s, u"0"_s},
                                     {u"分"_s, u"0"_s},
                                     {u"秒"_s, u"2"_s},
                                     {u"模式选择"_s, u"倒计时"_s},
                                     {u"最终结束音"_s, u"假"_s}})
        ASSERT_TRUE(rt::writeIniEntry(config, u"计时"_s, key, value));
    ASSERT_TRUE(desktop->startProgram());
    const QByteArray out =
        desktop->run(u"/usr/bin/python3"_s,
                     {QStringLiteral(ZORVIK_SOURCE_DIR "/tests/app/atspi_probe.py")}, 40000);
    const QJsonObject seen = QJsonDocument::fromJson(out).object();
    ASSERT_FALSE(seen.isEmpty()) << out.data();
    EXPECT_EQ(seen[u"display"_s].toString(), u"00:00:00"_s);
    bool counted = false, ended = false;
    for (const QJsonValue& v : seen[u"heard"_s].toArray()) {
        const QJsonArray e = v.toArray();
        counted |= e[0].toString() == u"object:property-change:accessible-name"_s &&
                   e[1].toString() == u"00:00:01"_s && e[2].toString() == u"label"_s;
        ended |= e[0].toString() == u"object:state-changed:showing"_s && e[3].toInt() == 1 &&
                 e[2].toString() == u"alert"_s && e[1].toString().startsWith(u"终于："_s);
    }
    EXPECT_TRUE(counted) << "the time is heard as it counts: " << out.data();
    EXPECT_TRUE(ended) << "the end of the run is announced: " << out.data();
    const QJsonArray buttons = seen[u"question"_s].toArray();
    ASSERT_EQ(buttons.size(), 2) << out.data();
    EXPECT_TRUE(buttons[0].toString().startsWith(u"否"_s)) << out.data();
    EXPECT_TRUE(buttons[1].toString().startsWith(u"是"_s)) << out.data();
    const QString question = desktop->waitForWindow(u"提示："_s);
    QTest::qWait(300);
    save(desktop->screenshot(), desktop->frame(question), u"close-question"_s);
}

}  // namespace
