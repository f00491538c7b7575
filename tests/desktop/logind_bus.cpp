#include "logind_bus.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>

namespace zt {

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");

}  // namespace

QDBusArgument& operator<<(QDBusArgument& a, const Inhibitor& i) {
    a.beginStructure();
    a << i.what << i.who << i.why << i.mode << i.uid << i.pid;
    a.endStructure();
    return a;
}

const QDBusArgument& operator>>(const QDBusArgument& a, Inhibitor& i) {
    a.beginStructure();
    a >> i.what >> i.who >> i.why >> i.mode >> i.uid >> i.pid;
    a.endStructure();
    return a;
}

QDBusUnixFileDescriptor RecordingLogind::Inhibit(const QString& what, const QString& who,
                                                 const QString& why, const QString& mode) {
    int ends[2];
    if (::pipe(ends) != 0) return {};
    const QString sender = message().service();
    Inhibitor record{what,
                     who,
                     why,
                     mode,
                     connection().interface()->serviceUid(sender).value(),
                     connection().interface()->servicePid(sender).value()};
    auto notifier = std::make_unique<QSocketNotifier>(ends[0], QSocketNotifier::Read);
    QSocketNotifier* n = notifier.get();
    // Readable with nothing to read: every copy of the write end is closed.
    QObject::connect(n, &QSocketNotifier::activated, n, [this, n] {
        char c;
        if (::read(int(n->socket()), &c, 1) > 0) return;
        ::close(int(n->socket()));
        std::erase_if(held, [n](const Held& h) { return h.readEnd.get() == n; });
    });
    held.push_back({record, std::move(notifier)});
    QDBusUnixFileDescriptor handed(ends[1]);  // a duplicate goes out
    ::close(ends[1]);
    return handed;
}

LogindBus::LogindBus() {
    qDBusRegisterMetaType<Inhibitor>();
    qDBusRegisterMetaType<QList<Inhibitor>>();
    {
        // By address: libdbus reads the standard bus addresses only once,
        // so asking for "the system bus" here would pin it before the test
        // may move it.
        QString address = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
        if (address.isEmpty()) address = QStringLiteral("unix:path=/run/dbus/system_bus_socket");
        QDBusConnection system = QDBusConnection::connectToBus(address, QStringLiteral("zt-probe"));
        real_ = system.isConnected() && system.interface()->isServiceRegistered(kService);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("zt-probe"));
    if (real_) {
        why_ = QStringLiteral("the machine's own systemd-logind");
        ready_ = true;
        return;
    }
    why_ = QStringLiteral("no logind here: a private bus with the test's own recording service");
    const QString address = QStringLiteral("unix:path=") + dir_.filePath(QStringLiteral("bus"));
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--address=") + address, QStringLiteral("--print-address=1")});
    if (!daemon_.waitForReadyRead(5000)) return;
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());
    QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("zt-logind"));
    ready_ = bus.isConnected() && bus.registerService(kService) &&
             bus.registerObject(kPath, kInterface, &service_, QDBusConnection::ExportAllSlots);
}

LogindBus::~LogindBus() {
    QDBusConnection::disconnectFromBus(QStringLiteral("zt-logind"));
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.kill();
        daemon_.waitForFinished();
    }
}

QList<Inhibitor> LogindBus::mine() const {
    QList<Inhibitor> all, ours;
    if (real_) {
        const QDBusMessage reply = QDBusConnection::systemBus().call(QDBusMessage::createMethodCall(
            kService, kPath, kInterface, QStringLiteral("ListInhibitors")));
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            reply.arguments().at(0).value<QDBusArgument>() >> all;
    } else {
        for (const RecordingLogind::Held& h : service_.held) all << h.who;
    }
    for (const Inhibitor& i : all)
        if (i.pid == uint(QCoreApplication::applicationPid())) ours << i;
    return ours;
}

}  // namespace zt
