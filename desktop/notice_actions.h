#pragma once
// The buttons of the notice at the end of a run: "再来一次" starts the same
// duration again, "显示" (and a click on the notice itself) shows the
// window. Only the latest notice's buttons act.

#include <QObject>
#include <QStringList>

namespace zorvik::desktop {

class NoticeActions : public QObject {
    Q_OBJECT
  public:
    static NoticeActions& instance();
    // Keys and captions in turn, as the notification service takes them.
    static QStringList offered();
    // Hears the notification service's buttons from now on: called before
    // the notice goes out, so that no click can come before.
    void listen();
    // The notice that now carries them.
    void follow(uint id) { id_ = id; }

  public Q_SLOTS:
    void invoked(uint id, const QString& key);

  private:
    uint id_ = 0;
    bool listening_ = false;
};

}  // namespace zorvik::desktop
