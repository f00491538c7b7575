#pragma once
// The system bus as the sleep block sees it. Where the machine runs
// systemd-logind, the real one is used and read back with ListInhibitors.
// Elsewhere (containers, build machines) the test starts a private
// dbus-daemon, points DBUS_SYSTEM_BUS_ADDRESS at it and registers there a
// service of its own under logind's name that answers Inhibit and
// records each block the way logind keeps it: it hands out the write end of
// a pipe and forgets the block when that end is closed.

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusUnixFileDescriptor>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace zt {

struct Inhibitor {
    QString what, who, why, mode;
    uint uid = 0, pid = 0;
};

class RecordingLogind : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
  public:
    struct Held {
        Inhibitor who;
        std::unique_ptr<QSocketNotifier> readEnd;
    };
    std::vector<Held> held;

  public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                    const QString& mode);
};

class LogindBus {
  public:
    // Call before anything in the process opens the system bus.
    LogindBus();
    ~LogindBus();
    bool ready() const { return ready_; }
    bool real() const { return real_; }
    QString why() const { return why_; }
    // The blocks held by this process right now.
    QList<Inhibitor> mine() const;

  private:
    bool ready_ = false, real_ = false;
    QString why_;
    QTemporaryDir dir_;
    QProcess daemon_;
    RecordingLogind service_;
};

}  // namespace zt
