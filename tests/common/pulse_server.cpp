#include "pulse_server.h"

#include <pthread.h>
#include <sys/prctl.h>

#include <csignal>

#include <QCoreApplication>
#include <QFile>
#include <cstring>
#include <limits>

namespace zt {

namespace {

constexpr char kSink[] = "zorvik_test";
constexpr int kBytesPerSecond = Recording::kRate * 2;
// The sink renders only this far ahead of what is heard, so a recorded
// sample arrives at most this long before its time, and a new sound waits
// at most this long for its turn.
const QString kLatency = QStringLiteral("--latency-msec=10");

double nowNs() {
    return double(std::chrono::duration_cast<std::chrono::nanoseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count());
}

// Polls done for at most timeoutMs. The program under test goes on
// meanwhile (its timers fire, its sounds are fed), as it would while a real
// sound server starts beside it.
template <typename Done>
bool pollFor(Done done, int timeoutMs) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The server and its helpers end with this process, even when it crashes.
void diesWithUs(QProcess& p) {
    p.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

QStringList rawFormat() {
    return {QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
            QStringLiteral("--rate=%1").arg(Recording::kRate), QStringLiteral("--channels=1")};
}

}  // namespace

double Recording::secondsAt(SteadyTime t) const {
    return std::chrono::duration<double>(t - start).count();
}

PulseServer::PulseServer() {
    hadPreviousServer_ = qEnvironmentVariableIsSet("PULSE_SERVER");
    previousServer_ = qgetenv("PULSE_SERVER");
}

PulseServer::~PulseServer() {
    kill();
    if (hadPreviousServer_)
        qputenv("PULSE_SERVER", previousServer_);
    else
        qunsetenv("PULSE_SERVER");
}

QString PulseServer::address() const {
    return QStringLiteral("unix:") + dir_.path() + QStringLiteral("/pulse/native");
}

QProcessEnvironment PulseServer::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PULSE_SERVER"), address());
    return env;
}

bool PulseServer::isRunning() const {
    return server_ && server_->state() == QProcess::Running;
}

bool PulseServer::pactl(const QStringList& args) const {
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start(QStringLiteral("pactl"), args);
    return pollFor([&] { return p.state() == QProcess::NotRunning; }, 5000) &&
           p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool PulseServer::waitUntilAnswering(int timeoutMs) const {
    // Stops early when the server has died: reported below.
    return pollFor([this] { return !isRunning() || pactl({QStringLiteral("info")}); }, timeoutMs) &&
           isRunning();
}

bool PulseServer::start() {
    if (isRunning()) return true;
    if (!dir_.isValid()) return false;
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Everything the server keeps (socket, pid file, cookie) stays in the
    // private folder.
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.path());
    env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), dir_.path() + QStringLiteral("/pulse"));
    env.insert(QStringLiteral("HOME"), dir_.path());
    // Off any desktop bus: servers of tests running side by side would all
    // claim the same bus name there, and all but the first would quit.
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
               QStringLiteral("unix:path=") + dir_.path() + QStringLiteral("/no-bus"));
    server_ = std::make_unique<QProcess>();
    diesWithUs(*server_);
    server_->setProcessEnvironment(env);
    server_->setStandardOutputFile(QProcess::nullDevice());
    server_->setStandardErrorFile(dir_.path() + QStringLiteral("/server.log"));
    server_->start(
        QStringLiteral("pulseaudio"),
        {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
         QStringLiteral("--exit-idle-time=-1"), QStringLiteral("-L"),
         QStringLiteral("module-native-protocol-unix auth-anonymous=1"), QStringLiteral("-L"),
         // Without rewinds the monitor gives exactly what the
         // sink played: a sink renders the start of a new sound
         // again over what it had rendered ahead, and the
         // monitor would lose that start.
         QStringLiteral("module-null-sink norewinds=1 sink_name=") + kSink});
    if (!server_->waitForStarted(5000) || !waitUntilAnswering(10000)) {
        kill();
        QFile log(dir_.path() + QStringLiteral("/server.log"));
        if (log.open(QIODevice::ReadOnly))
            qWarning("the test sound server did not start:\n%s", log.readAll().constData());
        return false;
    }
    qputenv("PULSE_SERVER", address().toLocal8Bit());

    // A stream of silence keeps the sink running, so its monitor gives
    // samples all the time, the silences between sounds included.
    keepAlive_ = std::make_unique<QProcess>();
    diesWithUs(*keepAlive_);
    keepAlive_->setProcessEnvironment(environment());
    keepAlive_->setStandardInputFile(QStringLiteral("/dev/zero"));
    keepAlive_->start(
        QStringLiteral("pacat"),
        QStringList{QStringLiteral("-p"), QStringLiteral("-d"), kSink, kLatency} + rawFormat());
    // A new null sink sleeps out a first block of 2 s before it heeds the
    // streams' latency; suspended and resumed, it starts over at once.
    return keepAlive_->waitForStarted(5000) &&
           pactl({QStringLiteral("suspend-sink"), kSink, QStringLiteral("1")}) &&
           pactl({QStringLiteral("suspend-sink"), kSink, QStringLiteral("0")});
}

void PulseServer::kill() {
    stopRecording();
    for (auto* p : {keepAlive_.get(), server_.get()}) {
        if (!p || p->state() == QProcess::NotRunning) continue;
        p->kill();
        p->waitForFinished(5000);
    }
    keepAlive_.reset();
    server_.reset();
}

bool PulseServer::startRecording() {
    stopRecording();
    firstSampleNs_ = std::numeric_limits<double>::max();
    stopRecorder_ = false;
    flowing_ = false;
    recorder_ = std::thread([this] { recordLoop(); });
    if (pollFor([this] { return flowing_.load(); }, 10000)) return true;
    stopRecording();
    return false;
}

void PulseServer::recordLoop() {
    // Named, so a benchmark can leave the recording's own work out.
    pthread_setname_np(pthread_self(), kRecorderThread);
    QProcess parec;
    diesWithUs(parec);
    parec.setProcessEnvironment(environment());
    parec.start(
        QStringLiteral("parec"),
        QStringList{QStringLiteral("-d"), QString::fromLatin1(kSink) + ".monitor", kLatency} +
            rawFormat());
    // Samples go to a file, not memory, so a test that measures this
    // process's memory does not count them.
    QFile out(dir_.path() + QStringLiteral("/heard.raw"));
    if (!parec.waitForStarted(5000) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    qint64 total = 0;
    while (!stopRecorder_ && parec.state() == QProcess::Running) {
        if (!parec.waitForReadyRead(20)) continue;
        const double arrived = nowNs();
        const QByteArray data = parec.readAllStandardOutput();
        std::lock_guard lock(mutex_);
        out.write(data);
        out.flush();
        total += data.size();
        // Data is read only after it was heard, so each arrival bounds the
        // time of the first sample from above; the tightest bound wins.
        firstSampleNs_ = std::min(firstSampleNs_, arrived - double(total) / kBytesPerSecond * 1e9);
        flowing_ = true;
    }
    parec.kill();
    parec.waitForFinished(5000);
}

Recording PulseServer::recording() const {
    Recording r;
    r.rate = Recording::kRate;
    std::lock_guard lock(mutex_);
    QFile in(dir_.path() + QStringLiteral("/heard.raw"));
    const QByteArray bytes = in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    r.values.resize(size_t(bytes.size() / 2));
    std::memcpy(r.values.data(), bytes.constData(), r.values.size() * 2);
    r.start = SteadyTime(std::chrono::nanoseconds(qint64(firstSampleNs_)));
    return r;
}

void PulseServer::stopRecording() {
    stopRecorder_ = true;
    if (recorder_.joinable()) recorder_.join();
}

}  // namespace zt
