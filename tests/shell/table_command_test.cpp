#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "runtime/runtime.h"
#include "shell/table_command.h"
#include "shell_output_recorder.h"

namespace zorvik {
namespace {

using test::OutputRecorder;

const QString kWindow = QStringLiteral("主窗口");
const QString kPanel = QStringLiteral("编辑框_CMD输出");

QString header(int row) {
    return QStringLiteral("\r\n\r\n\r\n    任务%1：\r\n").arg(row);
}

TEST(TableCommandTest, TaskLineComesBeforeTheCommandsOutput) {
    QTemporaryDir folder;
    OutputRecorder output;
    CommandShell& shell = commandShell();
    shell.setSink(output.sink());
    ASSERT_GT(shell.launch(CommandShell::defaultInterpreter(), folder.path()), 0);

    runTableCommand(3, QStringLiteral("echo hi"));
    ASSERT_TRUE(output.waitForText(QStringLiteral("hi\n")));
    ASSERT_FALSE(output.deliveries.isEmpty());
    // Exactly these bytes: full-width colon, four ASCII spaces, CR LF pairs.
    EXPECT_EQ(output.deliveries.first().toUtf8(),
              QByteArray("\r\n\r\n\r\n    \xe4\xbb\xbb\xe5\x8a\xa1"
                         "3\xef\xbc\x9a\r\n"));
    EXPECT_EQ(output.text(), header(3) + QStringLiteral("hi\n"));

    // An empty command is typed as an empty line: nothing runs, nothing
    // complains, and the next row goes on normally.
    output.clear();
    runTableCommand(1, QString());
    runTableCommand(2, QStringLiteral("echo ok"));
    ASSERT_TRUE(output.waitForText(QStringLiteral("ok\n")));
    EXPECT_EQ(output.text(), header(1) + header(2) + QStringLiteral("ok\n"));

    // A command that reads gets an empty input, not the next row's command,
    // and the interpreter's variables still carry from row to row.
    output.clear();
    runTableCommand(4, QStringLiteral("read x; y=kept; echo \"[$x]\""));
    runTableCommand(5, QStringLiteral("echo \"five $y\""));
    ASSERT_TRUE(output.waitForText(QStringLiteral("five kept\n")));
    EXPECT_EQ(output.text(), header(4) + header(5) + QStringLiteral("[]\nfive kept\n"));

    shutdownCommandShell();
    shell.setSink(nullptr);
    EXPECT_FALSE(shell.isRunning());
}

QString panel() {
    return rt::getProperty(kWindow, kPanel, rt::slot::EditContent).toString();
}

// A main window holding only the output panel, the program in folder.
void loadPanelWindow(const QTemporaryDir& folder) {
    rt::setProgramDirectory(folder.path());
    rt::WindowDesc desc;
    desc.name = kWindow;
    desc.caption = QStringLiteral("panel");
    rt::ControlDesc box{kPanel, rt::Kind::EditBox, QString(), 0, 0, 300, 200, QString(), {}, {}};
    box.props = {{QStringLiteral("multiLine"), true}, {QStringLiteral("vScroll"), true}};
    desc.controls.push_back(box);
    rt::registerWindow(desc);
    ASSERT_TRUE(rt::loadWindow(kWindow));
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

qint64 peakMemoryKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

TEST(TableCommandTest, OutputLandsInTheMainWindowsPanel) {
    QTemporaryDir folder;
    loadPanelWindow(folder);
    launchCommandShell();
    runTableCommand(2, QStringLiteral("pwd"));
    const QString expected = QDir(folder.path()).canonicalPath();
    EXPECT_TRUE(QTest::qWaitFor([&] { return panel().contains(expected); }, 5000))
        << panel().toStdString();
    EXPECT_TRUE(panel().contains(QStringLiteral("    任务2：")));
    EXPECT_LT(panel().indexOf(QStringLiteral("任务2")), panel().indexOf(expected));

    // Output still coming after the window is gone is dropped quietly.
    rt::unloadAll();
    runTableCommand(3, QStringLiteral("echo late"));
    QTest::qWait(300);
    EXPECT_TRUE(commandShell().isRunning());
    shutdownCommandShell();
    rt::setProgramDirectory(QString());
}

// 50 MB of numbered lines through the real interpreter: the panel keeps the
// newest 10,000 of them and the program's memory stays flat.
TEST(TableCommandTest, FloodKeepsThePanelToItsNewestLines) {
    QTemporaryDir folder;
    loadPanelWindow(folder);
    launchCommandShell();
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));  // starts the peak afresh
    if (clearRefs.open(QIODevice::WriteOnly)) clearRefs.write("5");
    clearRefs.close();
    runTableCommand(1, QStringLiteral("seq 1 6500000"));  // 50.9 MB
    ASSERT_TRUE(
        QTest::qWaitFor([] { return panel().endsWith(QStringLiteral("\n6500000\n")); }, 60000));
    const QStringList lines = panel().split(u'\n', Qt::SkipEmptyParts);
    // 10,000 lines, the last of them the empty one after "6500000".
    ASSERT_EQ(lines.size(), 9999);
    for (int i = 0; i < lines.size(); ++i) ASSERT_EQ(lines[i].toInt(), 6490002 + i);
    // AddressSanitizer keeps freed memory in quarantine: no bound to check there.
    if (!kAddressSanitizer) {
        EXPECT_LT(peakMemoryKb(), 150 * 1024);
    }
    shutdownCommandShell();
    rt::unloadAll();
    rt::setProgramDirectory(QString());
}

}  // namespace
}  // namespace zorvik
