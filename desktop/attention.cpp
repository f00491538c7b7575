#include "desktop/attention.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#ifdef ZORVIK_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#endif

#include "desktop/identity.h"
#include "desktop/notice_actions.h"
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

namespace {

QDBusMessage notificationCall(const QString& method) {
    return QDBusMessage::createMethodCall(u"org.freedesktop.Notifications"_s,
                                          u"/org/freedesktop/Notifications"_s,
                                          u"org.freedesktop.Notifications"_s, method);
}

void showNotice(const QString& title, const QString& text, bool withActions, QPointer<Tray> tray) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusMessage call = notificationCall(u"Notify"_s);
    const QVariantMap hints{{u"desktop-entry"_s, QString::fromLatin1(kDesktopId)},
                            {u"urgency"_s, QVariant::fromValue(uchar(1))}};
    // Notification services read a subset of markup in the body: ours is
    // text, so its "<" and "&" are escaped to show as typed.
    call << u"Zorvik"_s << 0u << QString::fromLatin1(kDesktopId) << title << text.toHtmlEscaped()
         << (withActions ? NoticeActions::offered() : QStringList()) << hints << -1;
    if (withActions) NoticeActions::instance().listen();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), qApp);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [tray, title, text, withActions](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         const QDBusPendingReply<uint> reply = *w;
                         if (reply.isError() && tray) tray->showMessage(title, text);
                         if (!reply.isError() && withActions)
                             NoticeActions::instance().follow(reply.value());
                     });
}

}  // namespace

// Straight to the desktop's notification service: Qt's tray icon reaches
// it only when the tray itself speaks D-Bus, and shows a balloon of its
// own on the older tray protocol. Buttons go only to a service that says
// it shows them; some would show their keys as text.
void notifyDesktop(const QString& title, const QString& text, Tray* tray) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (tray) tray->showMessage(title, text);
        return;
    }
    auto* watcher =
        new QDBusPendingCallWatcher(bus.asyncCall(notificationCall(u"GetCapabilities"_s)), qApp);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [tray = QPointer<Tray>(tray), title, text](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         const QDBusPendingReply<QStringList> reply = *w;
                         const bool actions =
                             !reply.isError() && reply.value().contains(u"actions"_s);
                         showNotice(title, text, actions, tray);
                     });
}

#else

void notifyDesktop(const QString& title, const QString& text, Tray* tray) {
    if (tray) tray->showMessage(title, text);
}

#endif

}  // namespace zorvik::desktop
