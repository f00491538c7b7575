#include "notice_recorder.h"

#ifdef ZORVIK_DBUS

#include <QDBusMessage>

using namespace Qt::StringLiterals;

namespace zt {

namespace {
const QString kPath = u"/org/freedesktop/Notifications"_s;
const QString kName = u"org.freedesktop.Notifications"_s;
}  // namespace

NoticeRecorder::~NoticeRecorder() {
    QDBusConnection::disconnectFromBus(u"zt-notices"_s);
}

bool NoticeRecorder::serve(const QString& address) {
    bus_ = QDBusConnection::connectToBus(address, u"zt-notices"_s);
    return bus_.isConnected() && bus_.registerService(kName) &&
           bus_.registerObject(kPath, this, QDBusConnection::ExportAllSlots);
}

void NoticeRecorder::click(uint id, const QString& key) {
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kName, u"ActionInvoked"_s);
    signal << id << key;
    bus_.send(signal);
}

QStringList NoticeRecorder::GetCapabilities() {
    return {u"actions"_s, u"body"_s};
}

uint NoticeRecorder::Notify(const QString&, uint, const QString&, const QString& summary,
                            const QString&, const QStringList& actions, const QVariantMap&, int) {
    notices << Notice{uint(notices.size() + 1), summary, actions};
    return notices.last().id;
}

}  // namespace zt

#endif
