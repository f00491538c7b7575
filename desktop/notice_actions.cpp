#include "desktop/notice_actions.h"

#ifdef ZORVIK_DBUS
#include <QDBusConnection>
#endif

#include "desktop/commands.h"
#include "desktop/tray.h"

using namespace Qt::StringLiterals;

namespace zorvik::desktop {

NoticeActions& NoticeActions::instance() {
    static NoticeActions actions;
    return actions;
}

QStringList NoticeActions::offered() {
    return {u"default"_s, u"显示"_s, u"again"_s, u"再来一次"_s, u"show"_s, u"显示"_s};
}

void NoticeActions::listen() {
#ifdef ZORVIK_DBUS
    if (listening_) return;
    // The bus delivers its signals to a named slot only; any sender may
    // speak, and only the id of our latest notice is answered.
    listening_ = QDBusConnection::sessionBus().connect(
        QString(), u"/org/freedesktop/Notifications"_s, u"org.freedesktop.Notifications"_s,
        u"ActionInvoked"_s, this, SLOT(invoked(uint, QString)));
#endif
}

void NoticeActions::invoked(uint id, const QString& key) {
    if (id == 0 || id != id_) return;
    if (key == u"again"_s)
        startAgain();
    else if (key == u"default"_s || key == u"show"_s)
        showMainWindow();
}

}  // namespace zorvik::desktop
