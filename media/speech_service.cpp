#include "media/speech_service.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QRandomGenerator>
#include <array>

#include "runtime/clock.h"
#include "runtime/runtime.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace rt {

namespace {

// A cold start on a busy machine (its first run reads its voice data) can
// take seconds; nothing waits on it but the clip that asked.
constexpr std::chrono::milliseconds kStartTimeout{5000};

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

// 256 bits from the system's own source, as hexadecimal text.
QByteArray makeSecret() {
    std::array<quint32, 8> words{};
    QRandomGenerator::system()->fillRange(words.data(), qsizetype(words.size()));
    return QByteArray(reinterpret_cast<const char*>(words.data()), sizeof words).toHex();
}

class ServiceProcess : public QObject {
  public:
    using Done = std::function<void(std::optional<OwnSpeechService>)>;

    // Belongs to the application object: when the program ends, it goes and
    // ends the service with it.
    static ServiceProcess& instance() {
        static QPointer<ServiceProcess> shared;
        if (!shared) shared = new ServiceProcess(QCoreApplication::instance());
        return *shared;
    }

    void use(QObject* context, Done done) {
        waiters_.append({context, std::move(done)});
        if (!process_) start();
        // Never inside the call that asked: the caller is not ready for it.
        else if (port_)
            QMetaObject::invokeMethod(
                this,
                [this] {
                    // Gone meanwhile: its end told the waiters, or a new
                    // start will.
                    if (port_) settle(true);
                },
                Qt::QueuedConnection);
    }

    // Whoever still waits hears there is no service.
    void fail() {
        stop();
        settle(false);
    }

  private:
    using QObject::QObject;

    struct Waiter {
        QPointer<QObject> context;
        Done done;
    };

    void start();
    void readPort();
    void ended(QProcess* p);

    void stop() {
        giveUp_.cancel();
        port_ = 0;
        secret_.clear();
        if (QProcess* p = std::exchange(process_, nullptr)) {
            if (p->state() == QProcess::NotRunning) {
                p->deleteLater();
            } else {
                // Goes when it has ended (ended() below), with no wait here.
                p->closeWriteChannel();
                p->kill();
            }
        }
    }

    // Tells every waiter; a waiter may ask again from inside its callback.
    void settle(bool up) {
        const QList<Waiter> waiters = std::exchange(waiters_, {});
        const OwnSpeechService service{QStringLiteral("http://127.0.0.1:%1").arg(port_), secret_};
        for (const Waiter& w : waiters)
            if (w.context && w.done) w.done(up ? std::optional(service) : std::nullopt);
    }

    QProcess* process_ = nullptr;
    QByteArray secret_, output_;
    quint16 port_ = 0;
    QList<Waiter> waiters_;
    Deadline giveUp_;
};

void ServiceProcess::start() {
    const QString program = serviceExecutable();
    if (!QFileInfo(program).isExecutable()) {
        QMetaObject::invokeMethod(
            this, [this] { settle(false); }, Qt::QueuedConnection);
        return;
    }
    secret_ = makeSecret();
    output_.clear();
    auto* p = new QProcess(this);
    process_ = p;
    p->setProgram(program);
    // The secret goes through the pipe, never the command line: that one
    // every user on the machine can read.
    p->setArguments(
        {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--secret-stdin")});
    p->setWorkingDirectory(programDirectory());
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifdef Q_OS_WIN
    // No console flashes up when a spoken reminder starts the service.
    p->setCreateProcessArgumentsModifier(
        [](QProcess::CreateProcessArguments* args) { args->flags |= CREATE_NO_WINDOW; });
#endif
    connect(p, &QProcess::started, this, [this, p] {
        if (p == process_) p->write(secret_ + '\n');
    });
    connect(p, &QProcess::readyReadStandardOutput, this, [this, p] {
        if (p == process_)
            readPort();
        else
            p->readAllStandardOutput();
    });
    connect(p, &QProcess::finished, this, [this, p] { ended(p); });
    connect(p, &QProcess::errorOccurred, this, [this, p](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) ended(p);
    });
    giveUp_.start(kStartTimeout, [this] { fail(); });
    p->start();
}

// The service's first line is the port it listens on.
void ServiceProcess::readPort() {
    const QByteArray more = process_->readAllStandardOutput();
    if (port_) return;
    output_ += more;
    const qsizetype end = output_.indexOf('\n');
    if (end < 0) {
        if (output_.size() > 16) fail();
        return;
    }
    bool ok = false;
    const uint port = output_.left(end).trimmed().toUInt(&ok);
    if (!ok || port == 0 || port > 65535) return fail();
    port_ = quint16(port);
    giveUp_.cancel();
    settle(true);
}

void ServiceProcess::ended(QProcess* p) {
    p->deleteLater();
    if (p != process_) return;  // one already let go of
    process_ = nullptr;
    fail();
}

}  // namespace

void useOwnSpeechService(QObject* context,
                         std::function<void(std::optional<OwnSpeechService>)> done) {
    if (context) ServiceProcess::instance().use(context, std::move(done));
}

void stopOwnSpeechService() {
    ServiceProcess::instance().fail();
}

}  // namespace rt
