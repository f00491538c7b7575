#pragma once
// One running copy per settings folder: two copies on the same "配置.ini"
// would overwrite each other's settings key by key. The first copy holds a
// lock and listens; a later one asks it to show its window and ends.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>

namespace zorvik::desktop {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // The lock and the server name derive from settingsFolder alone (its
    // canonical path), never from the environment.
    explicit SingleInstance(const QString& settingsFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this copy is the first: it now holds the lock and calls
    // onShowRequest whenever a later copy starts.
    bool claim(std::function<void()> onShowRequest);
    // A later copy: asks the first one to show itself, without blocking;
    // done runs when the request was delivered or could not be.
    void askFirstToShow(std::function<void()> done);

    QString serverName() const { return name_; }

  private:
    bool lock();

    QString name_;
#ifdef Q_OS_WIN
    void* mutex_ = nullptr;
#else
    std::unique_ptr<QLockFile> lock_;
#endif
    QLocalServer server_;
};

}  // namespace zorvik::desktop
