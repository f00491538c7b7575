#pragma once
// Keeps the machine awake while a run counts: a countdown that sleeps with
// the machine ends hours late. Linux asks systemd-logind for a "sleep:idle"
// block (the lock lasts while we keep the descriptor it hands back);
// Windows marks the thread as needing the system and the display. Where
// neither is there, holding does nothing.

#include <QObject>

#ifdef ZORVIK_DBUS
#include <QDBusUnixFileDescriptor>
#endif

namespace zorvik::desktop {

class SleepInhibitor : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    ~SleepInhibitor() override;

    void hold();
    void release();
    // A block is in place (for logind: its descriptor has arrived).
    bool holding() const;

  private:
    bool wanted_ = false;
#ifdef ZORVIK_DBUS
    bool asking_ = false;
    QDBusUnixFileDescriptor block_;
    void ask();
#endif
};

}  // namespace zorvik::desktop
