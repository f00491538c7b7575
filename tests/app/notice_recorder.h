#pragma once
// A notification service of the test's own on a session bus: it says it
// shows buttons, records every notice it is given, and clicks a notice's
// button the way a desktop does, by the signal ActionInvoked.

#ifdef ZORVIK_DBUS

#include <QDBusConnection>
#include <QStringList>
#include <QVariantMap>

namespace zt {

class NoticeRecorder : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
  public:
    struct Notice {
        uint id;
        QString summary;
        QStringList actions;
    };
    QList<Notice> notices;

    ~NoticeRecorder() override;
    // Registers on the bus at address; false when it could not.
    bool serve(const QString& address);
    void click(uint id, const QString& key);

  public Q_SLOTS:
    QStringList GetCapabilities();
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints,
                int timeout);

  private:
    QDBusConnection bus_{QString()};
};

}  // namespace zt

#endif
