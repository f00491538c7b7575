// The hotkey window and the start hotkey. The hotkey is not global: it is
// polled only while the main window is the active, non-minimised window,
// and, where the application sees its own keys, only while the key is
// down or a press of it is still to be acted on. A timer that runs all
// day must not wake the machine five times a second for a key nobody
// presses.

#include "ui/hotkey_window.h"

#include <QHash>

#include "names/main_window.h"
#include "runtime/keys.h"
#include "runtime/runtime.h"
#include "settings/config.h"
#include "settings/hotkey_setting.h"
#include "text/commands.h"
#include "timer/engine.h"

using namespace Qt::StringLiterals;

namespace zorvik {

QString hotkeyTextAtOpen;

namespace {

const QString kHotkey = u"热键窗口"_s;
const QString kField = u"编辑框_开始运行"_s;
const QString kPoll = ctl::kHotkeyPoll;
constexpr int kPollPeriodMs = 200;

// Whether the main window was the one in use at the last look.
bool wasInUse = false;

QHash<int, QString> makeKeyNames() {
    QHash<int, QString> names = {
        {3, u"Break"_s},          {8, u"退格键"_s},       {13, u"回车键"_s},
        {16, u"Shift键"_s},       {17, u"Ctrl键"_s},      {18, u"Alt键"_s},
        {19, u"Pause键"_s},       {20, u"Caps Lock键"_s}, {27, u"Esc键"_s},
        {32, u"空格键"_s},        {33, u"PageUp键"_s},    {34, u"PageDown键"_s},
        {35, u"End键"_s},         {36, u"Home键"_s},      {37, u"左光标键"_s},
        {38, u"上光标键"_s},      {39, u"右光标键"_s},    {40, u"下光标键"_s},
        {45, u"Ins键"_s},         {46, u"Del键"_s},       {91, u"Win键"_s},
        {106, u"乘号键"_s},       {107, u"加号键"_s},     {144, u"NumLock键"_s},
        {145, u"ScrollLock键"_s}, {186, u"分号键"_s},     {187, u"等号键"_s},
        {188, u"逗号键"_s},       {189, u"减号键"_s},     {190, u"圆点键"_s},
        {191, u"除号键"_s},       {192, u"反撇号键"_s},   {219, u"左中括号键"_s},
        {220, u"斜杠键"_s},       {221, u"右中括号键"_s}, {222, u"单引号键"_s},
    };
    for (int c = '0'; c <= '9'; ++c) names.insert(c, QChar(c) + u"键"_s);
    for (int c = 'A'; c <= 'Z'; ++c) names.insert(c, QChar(c) + u"键"_s);
    for (int n = 1; n <= 16; ++n) names.insert(111 + n, u"F%1键"_s.arg(n));
    return names;
}

QString fieldText() {
    return rt::getProperty(kHotkey, kField, rt::slot::EditContent).toString();
}

void setFieldText(const QString& text) {
    rt::setProperty(kHotkey, kField, rt::slot::EditContent, text);
}

rt::ControlDesc label(const QString& name, int l, int t, int w, int h, const QString& caption,
                      int fontPx = 0) {
    QVariantMap props;
    if (fontPx > 0) props.insert(u"fontPx"_s, fontPx);
    return {name, rt::Kind::Label, {}, l, t, w, h, caption, props, {}};
}

}  // namespace

rt::WindowDesc hotkeyWindowDescription() {
    rt::WindowDesc d;
    d.name = kHotkey;
    d.caption = u"热键"_s;
    d.width = 380;
    d.height = 250;
    d.centred = true;  // the created handler moves it to its place at once
    d.events = {{rt::ev::Created, u"onHotkeyWindowCreated"_s},
                {rt::ev::Destroying, u"onHotkeyWindowClosing"_s}};
    d.controls = {
        label(u"透明标签4"_s, 72, 120, 128, 56, u"剩余待开发"_s, 20),
        label(u"透明标签3"_s, 15, 88, 64, 32, u"全局唤醒："_s),
        label(u"透明标签2"_s, 39, 53, 40, 24, u"开始："_s),
        {u"按钮_热键完成"_s,
         rt::Kind::Button,
         {},
         260,
         16,
         80,
         32,
         u"完成"_s,
         {},
         {{rt::ev::Clicked, u"closeHotkeyWindow"_s}}},
        label(u"透明标签1"_s, 8, 16, 72, 24, u"热键配置："_s, 16),
        {kField,
         rt::Kind::EditBox,
         {},
         80,
         49,
         128,
         32,
         {},
         // Every key pressed here is the hotkey, so the field has the
         // keyboard from the start.
         {{u"input"_s, u"readonly"_s},
          {u"border"_s, u"single"_s},
          {u"focus"_s, true},
          {u"name"_s, u"开始热键"_s}},
         {{rt::ev::KeyDown, u"onHotkeyKeyPressed"_s}}},
    };
    return d;
}

QString keyDisplayName(int code) {
    static const QHash<int, QString> names = makeKeyNames();
    return names.value(code);
}

void onHotkeyWindowCreated() {
    setFieldText(keyDisplayName(rt::toInteger(readSetting(setting::StartHotkey))));
    hotkeyTextAtOpen = fieldText();
    const int width = rt::getProperty(kHotkey, kHotkey, rt::slot::Width).toInt();
    const int height = rt::getProperty(kHotkey, kHotkey, rt::slot::Height).toInt();
    rt::moveControl(kHotkey, QString(), rt::screenWidth() - width - 60,
                    rt::screenHeight() / 2 - height - 100);
}

QVariant onHotkeyKeyPressed(const QVariantList& args) {
    const int code = args.value(0).toInt();
    writeSetting(setting::StartHotkey, QString::number(code));
    setFieldText(keyDisplayName(code));
    return false;
}

void closeHotkeyWindow() {
    rt::destroyWindow(kHotkey);
}

void onHotkeyWindowClosing() {
    // The key just chosen was pressed in this window, where the poll does
    // not act on it; loading the key forgets that press, so the poll does
    // not take it for a fresh one once the main window is active again.
    loadStartHotkey();
    followStartHotkey();
    // While the program ends the main window may already be gone, and the
    // start action has nothing left to act on.
    if (fieldText() != hotkeyTextAtOpen && rt::isLoaded(kMainWindow)) startOrPause();
}

void followStartHotkey() {
    if (!rt::isLoaded(kMainWindow)) {
        wasInUse = false;
        return;
    }
    const bool inUse = rt::isWindowActive(kMainWindow) && !rt::isWindowMinimized(kMainWindow);
    // A press made while another window was in use is never acted on, not
    // even once the main window is back.
    if (!inUse || !wasInUse) rt::keyDownOrPressedSinceLastQuery(startHotkeyCode);
    wasInUse = inUse;
    const bool wanted = inUse && rt::keyMayBeDown(startHotkeyCode);
    const bool running = rt::getProperty(kMainWindow, kPoll, rt::slot::TimerPeriod).toInt() > 0;
    if (wanted != running)
        rt::setProperty(kMainWindow, kPoll, rt::slot::TimerPeriod, wanted ? kPollPeriodMs : 0);
}

void pollStartHotkey() {
    // The key is asked first, whatever the window state, so a press made
    // while another window was active is not acted on later.
    if (rt::keyDownOrPressedSinceLastQuery(startHotkeyCode) && rt::isWindowActive(kMainWindow) &&
        !rt::isWindowMinimized(kMainWindow))
        startOrPause();
    followStartHotkey();  // a released key ends the poll
}

}  // namespace zorvik
