#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <optional>

#include "common/process.h"
#include "common/wait.h"
#include "media/speech_service.h"
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

// Points the program directory elsewhere for one test.
class ProgramDirectory {
  public:
    explicit ProgramDirectory(const QString& dir) : saved_(rt::programDirectory()) {
        rt::setProgramDirectory(dir);
    }
    ~ProgramDirectory() { rt::setProgramDirectory(saved_); }

  private:
    QString saved_;
};

// Starts the service on port and waits (events flowing) for the answer,
// on the steady clock as the program does.
std::optional<bool> start(quint16 port, int* tookMs = nullptr) {
    QObject context;
    std::optional<bool> listening;
    QElapsedTimer t;
    t.start();
    rt::startLocalSpeechService(port, &context, [&](bool up) { listening = up; });
    EXPECT_FALSE(listening.has_value()) << "never inside the call that asked";
    zt::waitUntil([&] { return listening.has_value(); }, 8000);
    if (tookMs) *tookMs = int(t.elapsed());
    return listening;
}

}  // namespace

TEST(StartLocalSpeechService, StartsTheServiceBesideTheProgram) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // The real service, run through a launcher that records where it ran and
    // its pid, and shortens its idle time so it leaves by itself.
    writeLauncher(dir.path(),
                  "echo $$ > pid\nexec '" + serviceBinary().toUtf8() + "' \"$@\" --idle 2\n");
    ProgramDirectory programDirectory(dir.path());
    const quint16 port = freePort();
    EXPECT_EQ(start(port), true);
    const qint64 pid = readPid(dir.path());
    EXPECT_TRUE(zt::processAlive(pid));
    const Reply reply = get(port, speechTarget(u"休息"_qs));
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(scanMp3(reply.body).valid);
    // Detached: it outlives nothing of ours and goes away when idle.
    EXPECT_TRUE(zt::waitUntil([&] { return !zt::processAlive(pid); }, 6000));
}

TEST(StartLocalSpeechService, ReportsFailureWhenNothingListens) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ProgramDirectory programDirectory(dir.path());
    int took = 0;
    EXPECT_EQ(start(freePort(), &took), false);
    EXPECT_LT(took, 1000) << "no service file: nothing to wait for";

    // A service that dies at once: the wait gives up after its 5 s, and
    // nothing of it is left pending.
    writeLauncher(dir.path(), "exit 1\n");
    EXPECT_EQ(start(freePort(), &took), false);
    EXPECT_GE(took, 4900);
    EXPECT_LT(took, 7000);
    bool called = false;
    {
        QObject gone;
        rt::startLocalSpeechService(freePort(), &gone, [&](bool) { called = true; });
    }
    zt::pause(100);
    EXPECT_FALSE(called) << "nothing answers once the asker is gone";
}
