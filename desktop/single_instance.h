#pragma once
// One running copy per settings folder: two copies on the same "配置.ini"
// would overwrite each other's settings key by key. The first copy holds a
// lock and listens; a later one hands it its request (show the window, or
// what the command line asks for), waits for the answer and ends.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>

#include "desktop/command_line.h"

namespace zorvik::desktop {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // The lock and the server name derive from settingsFolder alone (its
    // canonical path), never from the environment.
    explicit SingleInstance(const QString& settingsFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this copy is the first: it now holds the lock and hands
    // onRequest what each later copy asks for, with the way to answer it.
    bool claim(RequestHandler onRequest);
    // A later copy: hands request to the first one, without blocking; done
    // runs with its answer ("" done, else why it refused), or with nothing
    // when it did not answer.
    void handOver(const Request& request, std::function<void(std::optional<QString>)> done);

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
