#include "desktop/attention.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#ifdef ZORVIK_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#endif

#include "desktop/identity.h"
#include "desktop/tray.h"
#include "names/main_window.h"
#include "runtime/runtime.h"
#include "timer/engine.h"

using namespace Qt::StringLiterals;

namespace zorvik::desktop {

void callAttentionToEnd(Tray* tray) {
    QWidget* main = rt::windowWidget(kMainWindow);
    if (!main) return;
    QApplication::alert(main);
    if (main->isVisible() && !main->isMinimized()) return;
    // The body: the run's start and end, as the window's two records say.
    notifyDesktop(u"时间到"_s, startedAtText() + u'\n' + endedAtText(), tray);
}

#ifdef ZORVIK_DBUS

// Straight to the desktop's notification service: Qt's tray icon reaches
// it only when the tray itself speaks D-Bus, and shows a balloon of its
// own on the older tray protocol.
void notifyDesktop(const QString& title, const QString& text, Tray* tray) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (tray) tray->showMessage(title, text);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        u"org.freedesktop.Notifications"_s, u"/org/freedesktop/Notifications"_s,
        u"org.freedesktop.Notifications"_s, u"Notify"_s);
    const QVariantMap hints{{u"desktop-entry"_s, QString::fromLatin1(kDesktopId)},
                            {u"urgency"_s, QVariant::fromValue(uchar(1))}};
    // Notification services read a subset of markup in the body: ours is
    // text, so its "<" and "&" are escaped to show as typed.
    call << u"Zorvik"_s << 0u << QString::fromLatin1(kDesktopId) << title << text.toHtmlEscaped()
         << QStringList() << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), qApp);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [tray = QPointer<Tray>(tray), title, text](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         if (w->isError() && tray) tray->showMessage(title, text);
                     });
}

#else

void notifyDesktop(const QString& title, const QString& text, Tray* tray) {
    if (tray) tray->showMessage(title, text);
}

#endif

}  // namespace zorvik::desktop
