#include "runtime/keys.h"

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QSet>
#include <QWidget>
#include <algorithm>
#include <array>
#include <optional>
#include <unordered_map>

#ifdef Q_OS_WIN
#include <windows.h>
#endif
// The X server's key state, where Qt runs on X11 and libxcb was found.
#ifdef ZORVIK_HAVE_LIBXCB
#include <QGuiApplication>
#if QT_CONFIG(xcb)
#define ZORVIK_XCB 1
#include <xcb/xcb.h>

#include <cstdlib>
#endif
#endif

namespace rt {
namespace {

const std::unordered_map<int, int>& keyTable() {
    static const std::unordered_map<int, int> table = {
        {Qt::Key_Cancel, 3},
        {Qt::Key_Backspace, 8},
        {Qt::Key_Tab, 9},
        {Qt::Key_Backtab, 9},
        {Qt::Key_Return, 13},
        {Qt::Key_Enter, 13},
        {Qt::Key_Shift, 16},
        {Qt::Key_Control, 17},
        {Qt::Key_Alt, 18},
        {Qt::Key_AltGr, 18},
        {Qt::Key_Pause, 19},
        {Qt::Key_CapsLock, 20},
        {Qt::Key_Escape, 27},
        {Qt::Key_Space, 32},
        {Qt::Key_PageUp, 33},
        {Qt::Key_PageDown, 34},
        {Qt::Key_End, 35},
        {Qt::Key_Home, 36},
        {Qt::Key_Left, 37},
        {Qt::Key_Up, 38},
        {Qt::Key_Right, 39},
        {Qt::Key_Down, 40},
        {Qt::Key_Print, 44},
        {Qt::Key_Insert, 45},
        {Qt::Key_Delete, 46},
        {Qt::Key_Meta, 91},
        {Qt::Key_Super_L, 91},
        {Qt::Key_Super_R, 92},
        {Qt::Key_Menu, 93},
        {Qt::Key_NumLock, 144},
        {Qt::Key_ScrollLock, 145},
        {Qt::Key_Semicolon, 186},
        {Qt::Key_Colon, 186},
        {Qt::Key_Equal, 187},
        {Qt::Key_Plus, 187},
        {Qt::Key_Comma, 188},
        {Qt::Key_Less, 188},
        {Qt::Key_Minus, 189},
        {Qt::Key_Underscore, 189},
        {Qt::Key_Period, 190},
        {Qt::Key_Greater, 190},
        {Qt::Key_Slash, 191},
        {Qt::Key_Question, 191},
        {Qt::Key_QuoteLeft, 192},
        {Qt::Key_AsciiTilde, 192},
        {Qt::Key_BracketLeft, 219},
        {Qt::Key_BraceLeft, 219},
        {Qt::Key_Backslash, 220},
        {Qt::Key_Bar, 220},
        {Qt::Key_BracketRight, 221},
        {Qt::Key_BraceRight, 221},
        {Qt::Key_Apostrophe, 222},
        {Qt::Key_QuoteDbl, 222},
        // Shifted digits on a US layout still name the digit key.
        {Qt::Key_Exclam, 49},
        {Qt::Key_At, 50},
        {Qt::Key_NumberSign, 51},
        {Qt::Key_Dollar, 52},
        {Qt::Key_Percent, 53},
        {Qt::Key_AsciiCircum, 54},
        {Qt::Key_Ampersand, 55},
        {Qt::Key_Asterisk, 56},
        {Qt::Key_ParenLeft, 57},
        {Qt::Key_ParenRight, 48},
    };
    return table;
}

int keypadCode(int key) {
    switch (key) {
        case Qt::Key_Asterisk:
            return 106;
        case Qt::Key_Plus:
            return 107;
        case Qt::Key_Minus:
            return 189;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return 190;
        case Qt::Key_Slash:
            return 191;
        default:
            return -1;
    }
}

#ifndef Q_OS_WIN

// X11 delivers the key's symbol (nativeVirtualKey) and its position
// (nativeScanCode, the X key code). Letters and named keys go by their
// symbol, as Windows names them by the layout; the digit row and the
// punctuation keys go by their place, so Shift or another layout does not
// change the code (Windows gives the same codes for those places).
int fromX11Keycode(quint32 keycode) {
    static const std::unordered_map<quint32, int> places = {
        {10, '1'}, {11, '2'}, {12, '3'}, {13, '4'}, {14, '5'}, {15, '6'}, {16, '7'}, {17, '8'},
        {18, '9'}, {19, '0'}, {20, 189}, {21, 187}, {34, 219}, {35, 221}, {47, 186}, {48, 222},
        {49, 192}, {51, 220}, {59, 188}, {60, 190}, {61, 191}, {94, 226},
    };
    auto it = places.find(keycode);
    return it == places.end() ? 0 : it->second;
}

int fromX11Keysym(quint32 sym) {
    if (sym >= 'a' && sym <= 'z') return int(sym - 'a' + 'A');
    if ((sym >= 'A' && sym <= 'Z') || (sym >= '0' && sym <= '9') || sym == ' ') return int(sym);
    if (sym >= 0xffb0 && sym <= 0xffb9) return int(sym - 0xffb0 + '0');  // keypad digits
    if (sym >= 0xffbe && sym <= 0xffd5) return int(sym - 0xffbe + 112);  // F1 to F24
    static const std::unordered_map<quint32, int> named = {
        {0xff08, 8},   {0xff09, 9},   {0xfe20, 9},   {0xff0d, 13},  {0xff8d, 13},  {0xff13, 19},
        {0xff14, 145}, {0xff1b, 27},  {0xff50, 36},  {0xff51, 37},  {0xff52, 38},  {0xff53, 39},
        {0xff54, 40},  {0xff55, 33},  {0xff56, 34},  {0xff57, 35},  {0xff61, 44},  {0xff63, 45},
        {0xff67, 93},  {0xff6b, 3},   {0xff7f, 144}, {0xff95, 36},  {0xff96, 37},  {0xff97, 38},
        {0xff98, 39},  {0xff99, 40},  {0xff9a, 33},  {0xff9b, 34},  {0xff9c, 35},  {0xff9d, 12},
        {0xff9e, 45},  {0xff9f, 46},  {0xffaa, 106}, {0xffab, 107}, {0xffac, 108}, {0xffad, 189},
        {0xffae, 190}, {0xffaf, 191}, {0xffe1, 16},  {0xffe2, 16},  {0xffe3, 17},  {0xffe4, 17},
        {0xffe5, 20},  {0xffe9, 18},  {0xffea, 18},  {0xfe03, 18},  {0xffeb, 91},  {0xffec, 92},
        {0xffe7, 91},  {0xffe8, 92},  {0xffff, 46},
    };
    auto it = named.find(sym);
    return it == named.end() ? 0 : it->second;
}

// 0 when the event carries no X11 key, or one this table does not know.
int fromNativeKey(const QKeyEvent* e) {
    if (e->nativeScanCode() == 0 && e->nativeVirtualKey() == 0) return 0;
    const quint32 sym = e->nativeVirtualKey();
    const bool letter = (sym >= 'a' && sym <= 'z') || (sym >= 'A' && sym <= 'Z');
    if (!letter && sym < 0xff00)
        if (const int placed = fromX11Keycode(e->nativeScanCode())) return placed;
    return fromX11Keysym(sym);
}

#endif

}  // namespace

int virtualKeyCode(const QKeyEvent* e) {
#ifndef Q_OS_WIN
    if (const int native = fromNativeKey(e)) return native;
#endif
    const int key = e->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return key;  // keypad digits too
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
    if (e->modifiers() & Qt::KeypadModifier) {
        const int k = keypadCode(key);
        if (k > 0) return k;
    }
#ifdef Q_OS_WIN
    if (e->nativeVirtualKey() != 0) {
        const int vk = int(e->nativeVirtualKey());
        if (vk >= 0x60 && vk <= 0x69) return vk - 0x60 + '0';
        if (vk == VK_SUBTRACT) return 189;
        if (vk == VK_DECIMAL) return 190;
        if (vk == VK_DIVIDE) return 191;
        return vk;
    }
#endif
    auto it = keyTable().find(key);
    return it == keyTable().end() ? 0 : it->second;
}

int keyStateOf(const QKeyEvent* e) {
    int state = 0;
    const auto m = e->modifiers();
    if ((m & Qt::ControlModifier) && e->key() != Qt::Key_Control) state |= 1;
    if ((m & Qt::ShiftModifier) && e->key() != Qt::Key_Shift) state |= 2;
    if ((m & Qt::AltModifier) && e->key() != Qt::Key_Alt) state |= 4;
    return state;
}

namespace {

#ifdef ZORVIK_XCB
// The X server the windows are on; none elsewhere (the offscreen platform
// may hold a connection of its own, which no key goes through).
xcb_connection_t* xcbConnection() {
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The keys down now as the X server has them (one bit per X key code), or
// nothing when the program does not run on X11.
std::optional<std::array<quint8, 32>> x11Keymap() {
    xcb_connection_t* connection = xcbConnection();
    if (!connection) return std::nullopt;
    xcb_query_keymap_reply_t* reply =
        xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr);
    if (!reply) return std::nullopt;
    std::array<quint8, 32> keys;
    std::copy(std::begin(reply->keys), std::end(reply->keys), keys.begin());
    std::free(reply);
    return keys;
}
#endif

// Whether the system keeps a key state of its own that can be asked: X11's
// (Windows' is asked directly). Wayland, for one, keeps it to itself.
bool systemKnowsKeys() {
#ifdef ZORVIK_XCB
    return xcbConnection() != nullptr;
#else
    return false;
#endif
}

// Application-wide: follows the keys the application sees (elsewhere than
// on Windows, where the system keeps the key state) and tells the watcher
// of every key and of every change of a window's activation or minimised
// state, the moments at which a poll of a key may have to start or stop.
//
// A release can go where the application never sees it: a window manager
// that closes a window on Alt+F4 takes the keys, and the window that had
// them is gone. A key seen going down is therefore asked of the system
// before it counts as held, where the system can tell (X11); where it
// cannot, a held key is forgotten whenever a window of the program loses
// the focus or closes.
class KeyTracker : public QObject {
  public:
    QSet<int> down, pressedSince;
    // The system's codes (X key codes) each key went down with.
    QHash<int, QSet<quint32>> places;
    std::function<void()> watcher;

    // Drops a key the system has seen released behind the application's back.
    void checkHeld(int vk) {
#ifdef ZORVIK_XCB
        if (!down.contains(vk) || !places.contains(vk)) return;
        const std::optional<std::array<quint8, 32>> keymap = x11Keymap();
        if (!keymap) return;
        for (const quint32 code : places.value(vk))
            if (code < 256 && ((*keymap)[code / 8] >> (code % 8)) & 1) return;
        down.remove(vk);
        places.remove(vk);
#else
        Q_UNUSED(vk);
#endif
    }
    void forgetAll() {
        down.clear();
        pressedSince.clear();
        places.clear();
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        switch (e->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
                follow(static_cast<QKeyEvent*>(e));
                tell();
                break;
            case QEvent::ApplicationStateChange:
                if (QGuiApplication::applicationState() != Qt::ApplicationActive) forgetAll();
                tell();
                break;
            case QEvent::WindowDeactivate:
            case QEvent::Hide:
                if (isProgramWindow(watched) && !systemKnowsKeys()) forgetAll();
                break;
            case QEvent::ActivationChange:
            case QEvent::WindowStateChange:
                // Sent to every widget of a window; the window's own is enough.
                if (watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()) tell();
                break;
            default:
                break;
        }
        return QObject::eventFilter(watched, e);
    }

  private:
    // A window of the program's own, not a menu, list or tip above one.
    static bool isProgramWindow(QObject* o) {
        if (!o->isWidgetType()) return false;
        const auto* w = static_cast<QWidget*>(o);
        return w->isWindow() && w->windowType() != Qt::Popup && w->windowType() != Qt::ToolTip;
    }
    void follow(const QKeyEvent* k) {
#ifndef Q_OS_WIN
        const int vk = virtualKeyCode(k);
        if (!vk) return;
        if (k->type() == QEvent::KeyPress) {
            down.insert(vk);
            pressedSince.insert(vk);
            if (k->nativeScanCode() != 0 && systemKnowsKeys())
                places[vk].insert(k->nativeScanCode());
        } else if (!k->isAutoRepeat()) {
            down.remove(vk);
            places.remove(vk);
        }
#else
        Q_UNUSED(k);
#endif
    }
    void tell() {
        if (watcher) watcher();
    }
};

KeyTracker* tracker = nullptr;

}  // namespace

void installKeyTracker() {
    if (tracker || !qApp) return;
    tracker = new KeyTracker;
    tracker->setParent(qApp);
    qApp->installEventFilter(tracker);
}

void setKeyWatcher(std::function<void()> watcher) {
    installKeyTracker();
    if (tracker) tracker->watcher = std::move(watcher);
}

#ifdef Q_OS_WIN

bool keyDownOrPressedSinceLastQuery(int vk) {
    return vk > 0 && GetAsyncKeyState(vk) != 0;
}

bool keyMayBeDown(int vk) {
    return vk > 0;  // only a query of the system can tell
}

#else

bool keyDownOrPressedSinceLastQuery(int vk) {
    installKeyTracker();
    if (!tracker || vk <= 0) return false;
    tracker->checkHeld(vk);
    const bool result = tracker->down.contains(vk) || tracker->pressedSince.contains(vk);
    tracker->pressedSince.remove(vk);
    return result;
}

bool keyMayBeDown(int vk) {
    return tracker && vk > 0 && (tracker->down.contains(vk) || tracker->pressedSince.contains(vk));
}

#endif

}  // namespace rt
