#pragma once
// One running copy per settings folder: two copies on the same "配置.ini"
// would overwrite each other's settings key by key. The first copy holds a
// lock and listens; a later one hands it its request (show the window, or
// what the command line asks for), waits for the answer and ends.

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

#include "desktop/command_line.h"

class QLockFile;

namespace zorvik::desktop {

class ChannelListener;

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // The lock derives from settingsFolder alone, never from the
    // environment or from folders others can make or remove.
    explicit SingleInstance(const QString& settingsFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this copy is the first: it now holds the lock and hands
    // onRequest what each later copy asks for, with the way to answer it.
    bool claim(RequestHandler onRequest);
    // True when another copy holds the lock now.
    bool claimedElsewhere() const;

    // How a hand-over ended: the first copy's answer ("" done, else why it
    // refused); or none, with closed telling whether it ended the
    // connection itself (as older copies do once they have shown the
    // window) rather than never answering or never being reached.
    using Outcome = std::function<void(std::optional<QString> answer, bool closed)>;
    // A later copy: hands request to the first one, without blocking.
    void handOver(const Request& request, Outcome done);

    // Where the first copy listens, as this copy finds it.
    QString serverName() const;

  private:
    bool lock();

    QString folder_;
    QString name_;
#ifdef Q_OS_WIN
    void* mutex_ = nullptr;
#else
    // Beside the settings, else (a folder that takes no files) in a folder
    // of the user's: where the lock and the listener's place are looked for.
    // which: 0 the settings folder, 1 the fallback; "" when there is none.
    QString lockPath(int which) const;
    std::unique_ptr<QLockFile> lock_;
    QString listening_;
    QString madeFolder_;  // removed at the end when made for this copy alone
#endif
    ChannelListener* listener_ = nullptr;
};

}  // namespace zorvik::desktop
