// The production paths: the steady clock through real widgets, and the
// built program started under the X server the test runs with.

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <csignal>

#include "common/program_fixture.h"
#include "shell/table_command.h"

using namespace Qt::StringLiterals;

namespace {

class RealClock : public zt::ProgramTest {
protected:
    void SetUp() override {
        zt::ProgramTest::SetUp();
        zorvik::setClock(nullptr);  // the steady clock and real timers
    }
};

TEST_F(RealClock, ThreeSecondCountUpThroughTheWidgets) {
    countUpMode();
    setTime(0, 0, 3);
    auto* start = qobject_cast<QPushButton*>(rt::controlObject(zt::kMain, u"开始"_s));
    QElapsedTimer t;
    t.start();
    QTest::mouseClick(start, Qt::LeftButton);
    EXPECT_EQ(start->text(), u"暂停"_s);
    QStringList seen;
    while (t.elapsed() < 6000 && displayColour() != 255) {
        if (seen.isEmpty() || seen.last() != display()) seen << display();
        QTest::qWait(10);
    }
    const qint64 took = t.elapsed();
    EXPECT_EQ(displayColour(), 255);
    EXPECT_EQ(display(), u"00:00:00"_s);
    EXPECT_TRUE(seen.contains(u"00:00:01"_s));
    EXPECT_TRUE(seen.contains(u"00:00:02"_s));
    EXPECT_GE(took, 2900);  // three counted seconds, not fewer
    EXPECT_EQ(start->text(), u"开始"_s);
}

TEST_F(RealClock, ClosingTheWindowEndsTheInterpreter) {
    const qint64 pid = zorvik::commandShell().processId();
    ASSERT_GT(pid, 0);
    EXPECT_EQ(::kill(pid_t(pid), 0), 0);
    zt::answerNextMessageBox(QMessageBox::Yes);
    rt::windowWidget(zt::kMain)->close();
    QTRY_VERIFY(!rt::isLoaded(zt::kMain));
    QTRY_VERIFY_WITH_TIMEOUT(!QDir(u"/proc/%1"_s.arg(pid)).exists(), 3000);
}

// The built executable on a real X server: it starts, writes its settings,
// shows its window, and leaves no process behind when it ends.
TEST(BuiltProgram, StartsUnderXAndShowsItsWindow) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) GTEST_SKIP() << "no X display (run under xvfb-run)";
    QTemporaryDir dir;
    const QString exe = dir.path() + u"/zorvik"_s;
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZORVIK_BINARY_DIR "/bin/zorvik"), exe));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    env.insert(u"ZORVIK_STARTUP_PROBE"_s, u"1"_s);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir.path());
    p.start(exe, {});
    ASSERT_TRUE(p.waitForStarted());
    QElapsedTimer t;
    t.start();
    QByteArray out;
    while (!out.contains("first-paint") && t.elapsed() < 15000) {
        p.waitForReadyRead(50);
        out += p.readAllStandardOutput();
    }
    EXPECT_TRUE(out.contains("first-paint")) << "the main window painted";
    EXPECT_TRUE(QFile::exists(dir.path() + u"/配置.ini"_s));
    EXPECT_TRUE(QFile::exists(dir.path() + u"/自定义提醒数据"_s));

    // A screenshot of the screen shows the window: dark digit pixels on a
    // light window where the compact window sits (left 683, top 190 on a
    // 1920 x 1080 screen, or wherever the window manager put it).
    QTest::qWait(700);  // let the server show what the program painted
    const QString shot = dir.path() + u"/shot.png"_s;
    if (QProcess::execute(u"import"_s, {u"-window"_s, u"root"_s, shot}) == 0) {
        QImage img(shot);
        ASSERT_FALSE(img.isNull());
        int dark = 0, light = 0;
        for (int y = 190; y < 490 && y < img.height(); y += 2)
            for (int x = 683; x < 948 && x < img.width(); x += 2) {
                const int g = qGray(img.pixel(x, y));
                dark += g < 60;
                light += g > 200;
            }
        EXPECT_GT(light, 1000) << "a light window area";
        EXPECT_GT(dark, 100) << "the big digits";
    }

    p.terminate();
    if (!p.waitForFinished(5000)) p.kill();
    p.waitForFinished();
}

}  // namespace
