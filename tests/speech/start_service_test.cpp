#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <optional>

#include "common/process.h"
#include "common/wait.h"
#include "media/speech_service.h"
#include "runtime/clock.h"
#include "runtime/runtime.h"
#include "speech_client.h"

using namespace speechtest;

namespace {

// Puts an executable shell script named like the service into dir.
void writeLauncher(const QString& dir, const QByteArray& script) {
    QFile file(QDir(dir).filePath("zorvik-speech"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + script);
    file.close();
    file.setPermissions(file.permissions() | QFile::ExeOwner);
}

qint64 readPid(const QString& dir) {
    QFile file(QDir(dir).filePath("pid"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
}

QByteArray commandLine(qint64 pid) {
    QFile file(QString("/proc/%1/cmdline").arg(pid));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool processAlive(qint64 pid) {
    return pid > 0 && QFile::exists(QString("/proc/%1").arg(pid));
}

// Points the program directory elsewhere for one test, and ends whatever
// service the test started.
class ProgramDirectory {
  public:
    explicit ProgramDirectory(const QString& dir) : saved_(rt::programDirectory()) {
        rt::setProgramDirectory(dir);
    }
    ~ProgramDirectory() {
        rt::stopOwnSpeechService();
        rt::setProgramDirectory(saved_);
    }

  private:
    QString saved_;
};

using Answer = std::optional<std::optional<rt::OwnSpeechService>>;

bool noService(const Answer& a) {
    return a && !*a;
}

// Asks for the service; the answer comes later, with events flowing.
Answer use(const std::function<void()>& whileWaiting = {}) {
    QObject context;
    Answer answer;
    rt::useOwnSpeechService(&context, [&](std::optional<rt::OwnSpeechService> s) { answer = s; });
    EXPECT_FALSE(answer.has_value()) << "never inside the call that asked";
    zt::waitUntil(
        [&] {
            if (whileWaiting) whileWaiting();
            return answer.has_value();
        },
        8000);
    return answer;
}

Reply speak(const rt::OwnSpeechService& service, bool withSecret) {
    const QByteArray port = service.base.section(':', -1).toUtf8();
    QByteArray head = "GET " + speechTarget(u"休息"_qs) + " HTTP/1.1\r\nHost: 127.0.0.1:" + port;
    if (withSecret) head += "\r\nAuthorization: Bearer " + service.secret;
    return send(quint16(port.toUInt()), head + "\r\n\r\n");
}

}  // namespace

// The real service, through a launcher that records its pid and shortens
// its idle time so that it leaves by itself.
TEST(OwnSpeechService, StartsOnePerLifeAndANewOneWhenItHasGone) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    writeLauncher(dir.path(),
                  "echo $$ > pid\nexec '" + serviceBinary().toUtf8() + "' \"$@\" --idle 2\n");
    ProgramDirectory programDirectory(dir.path());
    const Answer first = use();
    ASSERT_TRUE(first && *first);
    const rt::OwnSpeechService service = **first;
    const qint64 pid = readPid(dir.path());
    EXPECT_TRUE(processAlive(pid));
    EXPECT_GE(service.secret.size(), 32) << "128 bits or more";
    EXPECT_TRUE(commandLine(pid).contains("--secret-stdin"));
    EXPECT_FALSE(commandLine(pid).contains(service.secret)) << "no secret where all can read";
    EXPECT_EQ(speak(service, false).status, 401);
    const Reply reply = speak(service, true);
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(scanMp3(reply.body).valid);

    const Answer again = use();
    ASSERT_TRUE(again && *again);
    EXPECT_EQ(again->value().base, service.base) << "the running service is used again";
    EXPECT_EQ(readPid(dir.path()), pid);

    // Idle, it leaves; the next use starts a new one with a new secret.
    ASSERT_TRUE(zt::waitUntil([&] { return !processAlive(pid); }, 6000));
    const Answer renewed = use();
    ASSERT_TRUE(renewed && *renewed);
    EXPECT_NE(readPid(dir.path()), pid);
    EXPECT_NE(renewed->value().secret, service.secret);
    EXPECT_EQ(speak(**renewed, true).status, 200);
    const qint64 second = readPid(dir.path());
    rt::stopOwnSpeechService();
    EXPECT_TRUE(zt::waitUntil([&] { return !processAlive(second); }, 3000)) << "stopped";
}

TEST(OwnSpeechService, ReportsNoServiceWhenNoneComesUp) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ProgramDirectory programDirectory(dir.path());
    EXPECT_TRUE(noService(use())) << "no service file";
    writeLauncher(dir.path(), "exit 1\n");
    EXPECT_TRUE(noService(use())) << "a service that dies at once";
    writeLauncher(dir.path(), "echo not-a-port\nexec sleep 30\n");
    EXPECT_TRUE(noService(use())) << "a service that says no port";

    // One that never says where it listens is given up after 5 s on the
    // clock, and ended.
    writeLauncher(dir.path(), "echo $$ > pid\nexec sleep 30\n");
    rt::ManualClock clock;
    rt::setClock(&clock);
    const Answer silent = use([&] {
        if (processAlive(readPid(dir.path()))) clock.advance(std::chrono::milliseconds(5000));
    });
    rt::setClock(nullptr);
    EXPECT_TRUE(noService(silent));
    EXPECT_TRUE(zt::waitUntil([&] { return !processAlive(readPid(dir.path())); }, 3000));

    bool called = false;
    {
        QObject gone;
        rt::useOwnSpeechService(&gone, [&](auto) { called = true; });
    }
    zt::pause(100);
    EXPECT_FALSE(called) << "nothing answers once the asker is gone";
}
