#include "desktop/sleep_inhibitor.h"

#ifdef ZORVIK_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace zorvik::desktop {

SleepInhibitor::~SleepInhibitor() {
    release();
}

bool SleepInhibitor::holding() const {
#ifdef ZORVIK_DBUS
    return block_.isValid();
#else
    return wanted_;
#endif
}

#ifdef ZORVIK_DBUS

void SleepInhibitor::hold() {
    wanted_ = true;
    if (!block_.isValid() && !asking_) ask();
}

void SleepInhibitor::release() {
    wanted_ = false;
    block_ = QDBusUnixFileDescriptor();  // closing our copy ends the block
}

// Asked without waiting: the window thread never stops for the bus. A
// missing bus or logind answers with an error, and then nothing is held.
void SleepInhibitor::ask() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QStringLiteral("Zorvik") << QStringLiteral("计时进行中")
         << QStringLiteral("block");
    asking_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        asking_ = false;
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
        if (reply.isError() || !wanted_) return;  // a pause came first
        block_ = reply.value();
    });
}

#else

void SleepInhibitor::hold() {
    wanted_ = true;
#ifdef Q_OS_WIN
    SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
#endif
}

void SleepInhibitor::release() {
#ifdef Q_OS_WIN
    if (wanted_) SetThreadExecutionState(ES_CONTINUOUS);
#endif
    wanted_ = false;
}

#endif

}  // namespace zorvik::desktop
