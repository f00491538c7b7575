#include "media/speech_service.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTcpSocket>

#include "runtime/clock.h"
#include "runtime/runtime.h"

namespace rt {

namespace {

// A cold start on a busy machine (its first run reads its voice data) can
// take seconds; nothing waits on it but the clip that asked.
constexpr std::chrono::milliseconds kStartTimeout{5000};
constexpr std::chrono::milliseconds kRetryPause{50};

// Beside the program in a build folder or a portable copy; in the libexec
// folder of an installed copy (ZORVIK_SPEECH_FROM_BIN: that folder as seen
// from the program's).
QString serviceExecutable() {
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("zorvik-speech.exe");
#else
    const QString name = QStringLiteral("zorvik-speech");
#endif
    const QDir dir(programDirectory());
    const QString beside = dir.filePath(name);
#ifdef ZORVIK_SPEECH_FROM_BIN
    const QString installed = dir.filePath(QStringLiteral(ZORVIK_SPEECH_FROM_BIN "/") + name);
    if (!QFileInfo(beside).isExecutable() && QFileInfo(installed).isExecutable())
        return QDir::cleanPath(installed);
#endif
    return beside;
}

// Knocks on the port until it accepts or the time is up. Belongs to the
// caller's context, so it goes (and stops knocking) with it.
class PortWatch : public QObject {
  public:
    PortWatch(int port, QObject* context, std::function<void(bool)> done)
        : QObject(context), port_(quint16(port)), done_(std::move(done)) {
        connect(&socket_, &QTcpSocket::connected, this, [this] { finish(true); });
        connect(&socket_, &QTcpSocket::errorOccurred, this, [this] {
            socket_.abort();
            // A freshly started process needs a moment before it listens.
            retry_.start(kRetryPause, [this] { knock(); });
        });
        giveUp_.start(kStartTimeout, [this] { finish(false); });
    }

    void knock() { socket_.connectToHost(QHostAddress::LocalHost, port_); }

    void finish(bool listening) {
        giveUp_.cancel();
        retry_.cancel();
        socket_.disconnect(this);
        socket_.abort();
        auto done = std::move(done_);
        deleteLater();
        if (done) done(listening);
    }

  private:
    QTcpSocket socket_;
    quint16 port_;
    std::function<void(bool)> done_;
    Deadline giveUp_, retry_;
};

}  // namespace

void startLocalSpeechService(int port, QObject* context, std::function<void(bool)> done) {
    if (!context) return;
    const QString program = serviceExecutable();
    const QStringList arguments{QStringLiteral("--port"), QString::number(port)};
    const bool started = port > 0 && port <= 65535 && QFileInfo(program).isExecutable() &&
                         QProcess::startDetached(program, arguments, programDirectory());
    if (!started) {
        QMetaObject::invokeMethod(
            context,
            [done = std::move(done)] {
                if (done) done(false);
            },
            Qt::QueuedConnection);
        return;
    }
    (new PortWatch(port, context, std::move(done)))->knock();
}

}  // namespace rt
