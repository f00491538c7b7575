#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include "shell/command_shell.h"
#include "shell_output_recorder.h"

namespace zorvik {
namespace {

using test::OutputRecorder;
using test::waitUntilGone;
using zt::processAlive;

const QString kNotice = QStringLiteral("命令解释器已退出，下一条命令将重新启动它。");

class CommandShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        shell.setSink(output.sink());
        pid = shell.launch(CommandShell::defaultInterpreter(), folder.path());
        ASSERT_GT(pid, 0);
    }
    void TearDown() override { shell.shutdown(); }

    // Sends a command and waits for a marker echoed after it, so the next
    // command starts from a quiet interpreter.
    QString run(const QString& command) {
        const QString marker = QStringLiteral("<done %1>").arg(++serial);
        const qsizetype from = output.text().size();
        shell.sendLine(command);
        shell.sendLine(QStringLiteral("echo '%1'").arg(marker));
        if (!output.waitForText(marker)) return QStringLiteral("<timed out>");
        const QString all = output.text();
        return all.mid(from, all.indexOf(marker, from) - from);
    }

    QTemporaryDir folder;
    OutputRecorder output;
    CommandShell shell;
    qint64 pid = -1;
    int serial = 0;
};

TEST_F(CommandShellTest, StartsQuietlyAndKeepsStateBetweenCommands) {
    EXPECT_TRUE(processAlive(pid));
    QTest::qWait(300);
    EXPECT_TRUE(output.deliveries.isEmpty()) << output.text().toStdString();

    // Starts in the folder it was given; a Chinese folder name survives the
    // trip through the interpreter's input in both directions.
    EXPECT_EQ(run(QStringLiteral("pwd")), QDir(folder.path()).canonicalPath() + u'\n');
    const QString sub = QStringLiteral("子目录");
    ASSERT_TRUE(QDir(folder.path()).mkdir(sub));
    QFile marker(folder.filePath(sub + QStringLiteral("/标记.txt")));
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();

    EXPECT_EQ(run(QStringLiteral("cd ") + sub), QString());
    EXPECT_EQ(run(QStringLiteral("ls")), QStringLiteral("标记.txt\n"));
    EXPECT_EQ(run(QStringLiteral("answer=42")), QString());
    EXPECT_EQ(run(QStringLiteral("echo \"[$answer]\"")), QStringLiteral("[42]\n"));

    // The CR that ends every typed line is not part of the command: an empty
    // line does nothing and arguments arrive without it.
    EXPECT_EQ(run(QString()), QString());
    EXPECT_EQ(run(QStringLiteral("printf '%s|' a b")), QStringLiteral("a|b|"));
}

TEST_F(CommandShellTest, OutputAndErrorsBothReachTheSink) {
    const QString shown =
        run(QStringLiteral("echo out; echo err >&2; zorvik_no_such_command; echo after"));
    EXPECT_TRUE(shown.startsWith(QStringLiteral("out\nerr\n"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("zorvik_no_such_command"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("after\n"))) << shown.toStdString();

    // A line the shell cannot parse is reported and the interpreter stays.
    const QString broken = run(QStringLiteral("echo ("));
    EXPECT_TRUE(broken.contains(QStringLiteral("rror"))) << broken.toStdString();
    EXPECT_TRUE(processAlive(pid));
    EXPECT_EQ(run(QStringLiteral("echo alive")), QStringLiteral("alive\n"));
}

TEST_F(CommandShellTest, EachReadIsCutAtZeroAndALoneSpaceIsHidden) {
    EXPECT_EQ(run(QStringLiteral("printf ' '; sleep 0.3; printf 'x\\n'")), QStringLiteral("x\n"));
    EXPECT_EQ(run(QStringLiteral("printf 'a b\\n'")), QStringLiteral("a b\n"));

    output.clear();
    shell.sendLine(QStringLiteral("printf 'ab\\000cd\\n'"));
    ASSERT_TRUE(output.waitForText(QStringLiteral("ab")));
    QTest::qWait(200);
    EXPECT_EQ(output.text(), QStringLiteral("ab"));
    EXPECT_EQ(run(QStringLiteral("echo next")), QStringLiteral("next\n"));

    // 中 is E4 B8 AD: its first two bytes come in one read, the last later.
    output.clear();
    shell.sendLine(QStringLiteral("printf '\\344\\270'; sleep 0.3; printf '\\255\\n'"));
    ASSERT_TRUE(output.waitForText(QStringLiteral("中\n")));
    EXPECT_EQ(output.text(), QStringLiteral("中\n"));
    for (const QString& piece : output.deliveries)
        EXPECT_FALSE(piece.contains(QChar::ReplacementCharacter));

    // Nor is a CR LF pair split between two appends (a panel would show two
    // line breaks).
    output.clear();
    shell.sendLine(QStringLiteral("printf 'a\\r'; sleep 0.3; printf '\\nb\\n'"));
    ASSERT_TRUE(output.waitForText(QStringLiteral("b\n")));
    EXPECT_EQ(output.text(), QStringLiteral("a\r\nb\n"));
    for (const QString& piece : output.deliveries) EXPECT_FALSE(piece.endsWith(u'\r'));
}

TEST_F(CommandShellTest, EndlessCommandNeitherBlocksTheWindowNorSkipsTheQueue) {
    shell.sendLine(QStringLiteral("sleep 1000 & echo \"child=$!\"; wait"));
    shell.sendLine(QStringLiteral("echo later"));
    ASSERT_TRUE(output.waitForText(QStringLiteral("\n")));
    const auto match = QRegularExpression(QStringLiteral("child=(\\d+)")).match(output.text());
    ASSERT_TRUE(match.hasMatch()) << output.text().toStdString();
    const qint64 child = match.captured(1).toLongLong();
    ASSERT_TRUE(processAlive(child));

    int ticks = 0;
    QTimer ticker;
    ticker.callOnTimeout(&ticker, [&] { ++ticks; });
    ticker.start(10);
    QTest::qWait(500);
    EXPECT_GT(ticks, 20);
    EXPECT_FALSE(output.text().contains(QStringLiteral("later")));

    // Shutting down ends the interpreter and what it was running, for good.
    shell.shutdown();
    EXPECT_FALSE(shell.isRunning());
    EXPECT_TRUE(waitUntilGone(pid));
    EXPECT_TRUE(waitUntilGone(child));
    shell.sendLine(QStringLiteral("echo again"));
    QTest::qWait(300);
    EXPECT_FALSE(shell.isRunning());
    EXPECT_FALSE(output.text().contains(kNotice));
}

TEST_F(CommandShellTest, EndedInterpreterIsAnnouncedAndRestartedFresh) {
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("sub")));
    EXPECT_EQ(run(QStringLiteral("cd sub")), QString());
    shell.sendLine(QStringLiteral("echo bye; exit"));
    ASSERT_TRUE(output.waitForText(kNotice));
    EXPECT_TRUE(output.text().endsWith(QStringLiteral("bye\n\r\n") + kNotice + "\r\n"));
    EXPECT_FALSE(shell.isRunning());
    EXPECT_TRUE(waitUntilGone(pid));

    // The next command starts a fresh interpreter back in the first folder.
    EXPECT_EQ(run(QStringLiteral("pwd")), QDir(folder.path()).canonicalPath() + u'\n');
    const qint64 second = shell.processId();
    EXPECT_NE(second, pid);
    EXPECT_EQ(output.text().count(kNotice), 1);

    // Killed from outside: the same notice, the same recovery.
    zt::killProcess(second);
    ASSERT_TRUE(QTest::qWaitFor([&] { return output.text().count(kNotice) == 2; }, 5000));
    EXPECT_EQ(run(QStringLiteral("echo back")), QStringLiteral("back\n"));
}

TEST_F(CommandShellTest, FloodArrivesWholeInSeveralAppendsBeforeTheNotice) {
    constexpr int kBytes = 600000;
    shell.sendLine(QStringLiteral("head -c %1 /dev/zero | tr '\\000' 'z'; exit").arg(kBytes));
    ASSERT_TRUE(output.waitForText(kNotice, 10000));
    const QString all = output.text();
    EXPECT_EQ(all.count(u'z'), kBytes);
    EXPECT_TRUE(all.endsWith(QStringLiteral("z\r\n") + kNotice + "\r\n"));
    EXPECT_GT(output.deliveries.size(), 2);
}

}  // namespace
}  // namespace zorvik
