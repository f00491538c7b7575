// The production paths: the steady clock through real widgets, and the
// built program started under the X server the test runs with.

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QImage>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#ifndef Q_OS_WIN
#include <unistd.h>

#include <csignal>
#endif
#include <memory>
#include "test_paths.h"

#include "common/process.h"
#include "common/program_fixture.h"
#include "common/speech_endpoint.h"
#include "common/wait.h"
#include "grid/grid_format.h"
#include "media/beep.h"
#include "shell/table_command.h"
#include "text/profile.h"

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
    EXPECT_TRUE(zt::processAlive(pid));
    rt::windowWidget(zt::kMain)->close();
    ASSERT_TRUE(zt::answerMessageBox(QMessageBox::Yes));
    QTRY_VERIFY(!rt::isLoaded(zt::kMain));
    QTRY_VERIFY_WITH_TIMEOUT(!zt::processAlive(pid), 3000);
}

// Runs xdotool against the test's X server and returns what it printed.
QString xdotool(const QStringList& arguments) {
    QProcess tool;
    tool.start(u"xdotool"_s, arguments);
    if (!tool.waitForFinished(10000)) tool.kill();
    tool.waitForFinished();
    return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
}

// The built executable, copied into a folder of its own and started under
// the X server the test runs with.
class BuiltProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "no X display (run under xvfb-run)";
        // With no window manager, the keyboard goes to the window mapped
        // last: two of these tests on one display at once (parallel test
        // runs) would type into each other's windows.
        keyboard =
            std::make_unique<QLockFile>(QDir::temp().filePath(u"zorvik-keyboard-%1.lock"_s.arg(
                QString::fromLocal8Bit(qgetenv("DISPLAY")).remove(u':'))));
        keyboard->setStaleLockTime(0);
        ASSERT_TRUE(keyboard->tryLock(120000)) << "the display's keyboard stayed taken";
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(ZORVIK_BINARY_DIR "/bin/zorvik"), path(u"zorvik"_s)));
    }
    void TearDown() override {
        if (program.state() == QProcess::NotRunning) return;
        program.kill();
        program.waitForFinished();
    }
    QString path(const QString& name) const { return dir.path() + u'/' + name; }

    // Starts it and waits for its main window on the screen.
    QString start() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        env.insert(u"ZORVIK_STARTUP_PROBE"_s, u"1"_s);
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(dir.path());
        program.start(path(u"zorvik"_s), {});
        EXPECT_TRUE(program.waitForStarted());
        return find(u"^ZorvikV1.0$"_s);
    }
    QString find(const QString& title) {
        return xdotool({u"search"_s, u"--sync"_s, u"--onlyvisible"_s, u"--pid"_s,
                        QString::number(program.processId()), u"--name"_s, title})
            .split(u'\n')
            .value(0);
    }

    // Ended the user's way: the exit button, and Yes to the question (the
    // default button, so Return). Returns the milliseconds from Yes to the
    // end, -1 when it did not end by itself within 10 s.
    qint64 exitWithYes(const QString& window) {
        // 按钮_退出 sits at 203, 196 (40 x 40) in the client area, below the menu bar.
        xdotool({u"mousemove"_s, u"--window"_s, window, u"223"_s, u"238"_s, u"click"_s, u"1"_s});
        EXPECT_FALSE(find(u"^提示：$"_s).isEmpty()) << "the exit button asks first";
        // The question takes the keyboard; on a busy machine that can come
        // well after it is mapped, so the key waits until it has.
        EXPECT_TRUE(focused(u"提示："_s)) << "the question has the keyboard";
        EXPECT_EQ(program.state(), QProcess::Running);
        QElapsedTimer sinceYes;
        sinceYes.start();
        xdotool({u"key"_s, u"Return"_s});
        if (!zt::waitUntil([&] { return program.state() == QProcess::NotRunning; }, 10000))
            return -1;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "not ended by a signal";
        EXPECT_EQ(program.exitCode(), 0)
            << program.readAllStandardError().right(4000).toStdString();
        return sinceYes.elapsed();
    }

    // Waits until the window titled title has the keyboard, as the program
    // gives it to the window it shows or activates.
    bool focused(const QString& title) {
        return zt::waitUntil(
            [&] {
                return xdotool({u"getwindowname"_s, xdotool({u"getwindowfocus"_s})}) == title;
            },
            5000);
    }

    std::unique_ptr<QLockFile> keyboard;
    QTemporaryDir dir;
    QProcess program;
};

// It starts, writes its settings, shows its window, and ends cleanly on Yes.
TEST_F(BuiltProgram, StartsUnderXShowsItsWindowAndEndsOnYes) {
    const QString window = start();
    ASSERT_FALSE(window.isEmpty()) << "the main window is on the screen";
    QByteArray out;
    zt::waitUntil([&] { return (out += program.readAllStandardOutput()).contains("first-paint"); },
                  15000);
    EXPECT_TRUE(out.contains("first-paint")) << "the main window painted";
    EXPECT_TRUE(QFile::exists(path(u"配置.ini"_s)));
    EXPECT_TRUE(QFile::exists(path(u"自定义提醒数据"_s)));

    // A screenshot of the screen shows the window: dark digit pixels on a
    // light window where the compact window sits (left 683, top 190 on a
    // 1920 x 1080 screen, or wherever the window manager put it).
    zt::pause(700);  // let the server show what the program painted
    const QString shot = path(u"shot.png"_s);
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
    const qint64 ms = exitWithYes(window);
    EXPECT_GE(ms, 0) << "still running 10 s after Yes";
    RecordProperty("msFromYesToExit", int(ms));
}

// A second copy on the same folder ends and leaves the first alone,
// whatever environment it was started with.
TEST_F(BuiltProgram, ASecondCopyEndsWhateverItsEnvironment) {
    ASSERT_FALSE(start().isEmpty());
    QTemporaryDir otherTemp;
    QProcessEnvironment env = program.processEnvironment();
    env.remove(u"XDG_RUNTIME_DIR"_s);
    env.insert(u"TMPDIR"_s, otherTemp.path());
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(path(u"zorvik"_s), {});
    ASSERT_TRUE(second.waitForFinished(10000)) << "the second copy still runs";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(program.state(), QProcess::Running);
}

// Yes while a speech reminder plays: the program still ends at once, with
// exit code 0, and takes its speech file with it.
TEST_F(BuiltProgram, YesWhileSpeechPlaysEndsAtOnce) {
    const QByteArray speech = rt::toneWave(440, 3000);
    zt::SpeechEndpoint endpoint([&](QTcpSocket* s, int) { zt::SpeechEndpoint::reply(s, speech); });
    // A countdown of 5 min with a speech reminder every 3 s from the
    // endpoint, started with F2.
    const QList<std::array<QString, 3>> settings = {
        {u"计时"_s, u"时"_s, u"0"_s},
        {u"计时"_s, u"分"_s, u"5"_s},
        {u"计时"_s, u"秒"_s, u"0"_s},
        {u"计时"_s, u"模式选择"_s, u"倒计时"_s},
        {u"计时"_s, u"提醒类型"_s, zt::storedKind(zorvik::ReminderKind::Speech)},
        {u"计时"_s, u"间隔提醒时间"_s, u"0.05"_s},
        {u"计时"_s, u"最终结束音"_s, u"假"_s},
        {u"计时"_s, u"语音服务地址"_s, endpoint.address()},
        {u"热键配置"_s, u"开始"_s, u"113"_s}};
    for (const auto& [section, key, value] : settings)
        ASSERT_TRUE(rt::writeIniEntry(path(u"配置.ini"_s), section, key, value));
    const QString window = start();
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(focused(u"ZorvikV1.0"_s)) << "the hotkey acts on the active main window only";
    zt::pause(100);  // Qt takes the focus in as the window becoming active
    xdotool({u"key"_s, u"F2"_s});
    ASSERT_TRUE(zt::waitUntil([&] { return QFile::exists(path(u"read.mp3"_s)); }, 8000))
        << "the reminder's speech arrived";
    zt::pause(300);  // it opens and plays
    const qint64 ms = exitWithYes(window);
    EXPECT_GE(ms, 0) << "still running 10 s after Yes";
    RecordProperty("msFromYesToExitWhileSpeaking", int(ms));
    EXPECT_FALSE(QFile::exists(path(u"read.mp3"_s)));
}

#ifndef Q_OS_WIN
// The processes whose command line is exactly words, found through /proc.
QList<qint64> processesRunning(const QByteArray& words) {
    QList<qint64> found;
    for (QDirIterator it(u"/proc"_s); it.hasNext();) {
        bool number = false;
        const qint64 pid = it.next().section(u'/', -1).toLongLong(&number);
        QFile cmdline(it.filePath() + u"/cmdline"_s);
        if (number && cmdline.open(QIODevice::ReadOnly) &&
            cmdline.readAll().replace('\0', ' ').trimmed() == words)
            found << pid;
    }
    return found;
}

// The system's requests to end, with a table command still running: the
// program ends as Yes ends it, and takes what the command started along.
TEST_F(BuiltProgram, EndSignalsEndItAsYesDoesAndLeaveNoCommandRunning) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signal);
        // A unique sleep, so that another test's processes are not counted.
        const QByteArray sleep = "sleep " + QByteArray::number(3000 + signal * 7 + getpid() % 997);
        rt::GridFile table;
        table.settings.rows = 2;
        table.settings.columns = 3;
        table.settings.fixedRows = 1;
        table.rowHeights = {40, 40};
        table.columnWidths = {86, 216, 168};
        table.cells = {{0, 0, u"间隔时间(分)"_s, 0, {}},
                       {0, 1, u"提醒内容"_s, 0, {}},
                       {0, 2, u"CMD命令(试验)"_s, 0, {}},
                       {1, 0, u"0.05"_s, 0, {}},
                       {1, 1, u"睡"_s, 0, {}},
                       {1, 2, QString::fromLatin1(sleep), 0, {}}};
        QFile file(path(u"自定义提醒数据"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(rt::encodeGridFile(table));
        file.close();
        const QList<std::array<QString, 3>> settings = {
            {u"计时"_s, u"时"_s, u"0"_s},
            {u"计时"_s, u"分"_s, u"5"_s},
            {u"计时"_s, u"秒"_s, u"0"_s},
            {u"计时"_s, u"模式选择"_s, u"倒计时"_s},
            {u"自定义提醒"_s, u"启用自定义提醒"_s, u"真"_s},
            {u"自定义提醒"_s, u"启用CMD命令"_s, u"真"_s},
            {u"计时"_s, u"最终结束音"_s, u"假"_s},
            {u"热键配置"_s, u"开始"_s, u"113"_s}};
        for (const auto& [section, key, value] : settings)
            ASSERT_TRUE(rt::writeIniEntry(path(u"配置.ini"_s), section, key, value));
        ASSERT_FALSE(start().isEmpty());
        ASSERT_TRUE(focused(u"ZorvikV1.0"_s));
        zt::pause(100);  // Qt takes the focus in as the window becoming active
        xdotool({u"key"_s, u"F2"_s});
        ASSERT_TRUE(zt::waitUntil([&] { return !processesRunning(sleep).isEmpty(); }, 8000))
            << "the table's command runs";
        ::kill(pid_t(program.processId()), signal);
        ASSERT_TRUE(program.waitForFinished(10000)) << "still running 10 s after the signal";
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "not ended by the signal itself";
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_TRUE(zt::waitUntil([&] { return processesRunning(sleep).isEmpty(); }, 3000))
            << "the command's process outlived the program";
    }
}
#endif

}  // namespace
