// A close request for a window that a modal dialog blocks (the folder
// chooser over the main window, say) is dropped by Qt before the window
// hears of it, and the window system does not send it again: the user's
// close, or the session's at logout, would be lost. The request is noted
// here, from the system's own message, and the window closes as asked once
// the dialog has gone (HostWindow::event).

#include <QAbstractNativeEventFilter>
#include <QApplication>

#include "runtime/window_host.h"

#ifdef Q_OS_WIN
#include <windows.h>
#elif defined(ZORVIK_HAVE_LIBXCB)
#include <QGuiApplication>
#if QT_CONFIG(xcb)
#define ZORVIK_XCB 1
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif
#endif

namespace rt::detail {
namespace {

HostWindow* hostOf(WId id) {
    for (WindowInstance* w : loadedWindows())
        if (w->host && w->host->internalWinId() == id) return w->host;
    return nullptr;
}

#ifdef ZORVIK_XCB
xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return found;
}
#endif

class BlockedCloseWatcher : public QAbstractNativeEventFilter {
  public:
    BlockedCloseWatcher() {
#ifdef ZORVIK_XCB
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (x11 && x11->connection()) {
            protocols_ = atom(x11->connection(), "WM_PROTOCOLS");
            deleteWindow_ = atom(x11->connection(), "WM_DELETE_WINDOW");
        }
#endif
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        WId target = 0;
#ifdef Q_OS_WIN
        if (type == "windows_generic_MSG") {
            const auto* msg = static_cast<const MSG*>(message);
            if (msg->message == WM_CLOSE) target = WId(msg->hwnd);
        }
#elif defined(ZORVIK_XCB)
        if (type == "xcb_generic_event_t" && deleteWindow_ != XCB_ATOM_NONE) {
            const auto* event = static_cast<const xcb_generic_event_t*>(message);
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto* m = static_cast<const xcb_client_message_event_t*>(message);
                if (m->format == 32 && m->type == protocols_ && m->data.data32[0] == deleteWindow_)
                    target = m->window;
            }
        }
#else
        Q_UNUSED(type);
        Q_UNUSED(message);
#endif
        // Qt goes on to handle the request: a window that is not blocked
        // gets it (and forgets the note in its closeEvent).
        if (target && QApplication::activeModalWidget())
            if (HostWindow* host = hostOf(target)) host->closeWhenUnblocked = true;
        return false;
    }

  private:
#ifdef ZORVIK_XCB
    xcb_atom_t protocols_ = XCB_ATOM_NONE, deleteWindow_ = XCB_ATOM_NONE;
#endif
};

}  // namespace

void watchBlockedCloses() {
    static BlockedCloseWatcher* watcher = nullptr;
    if (watcher || !qApp) return;
    watcher = new BlockedCloseWatcher;
    qApp->installNativeEventFilter(watcher);
}

}  // namespace rt::detail
