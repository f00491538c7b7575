#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "runtime/runtime.h"
#include "runtime/speech_service.h"
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

bool processAlive(qint64 pid) {
    return pid > 0 && QFile::exists(QString("/proc/%1").arg(pid));
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
    ASSERT_TRUE(rt::startLocalSpeechService(port));
    const qint64 pid = readPid(dir.path());
    EXPECT_TRUE(processAlive(pid));
    const Reply reply = get(port, speechTarget(u"休息"_qs));
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(scanMp3(reply.body).valid);
    // Detached: it outlives nothing of ours and goes away when idle.
    QElapsedTimer clock;
    clock.start();
    while (processAlive(pid) && clock.elapsed() < 6000) QThread::msleep(100);
    EXPECT_FALSE(processAlive(pid));
}

TEST(StartLocalSpeechService, ReportsFailureWhenNothingListens) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ProgramDirectory programDirectory(dir.path());
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(rt::startLocalSpeechService(freePort()));
    EXPECT_LT(clock.elapsed(), 1500) << "no service file: nothing to wait for";

    // A service that dies at once: the wait gives up after its 2 s.
    writeLauncher(dir.path(), "exit 1\n");
    clock.restart();
    EXPECT_FALSE(rt::startLocalSpeechService(freePort()));
    EXPECT_LT(clock.elapsed(), 5000);
}
