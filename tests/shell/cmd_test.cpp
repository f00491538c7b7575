// The Windows interpreter, cmd, as table commands reach it: typed in and
// printed in its console's code page, its state kept between commands, and
// a fresh one after it ends. (The POSIX interpreter's own tests are in
// command_shell_test.cpp.)

#include <gtest/gtest.h>

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <QDir>
#include <QTemporaryDir>

#include "shell/command_shell.h"
#include "shell_output_recorder.h"
#include "text/codepage_win.h"

namespace zorvik {
namespace {

using test::OutputRecorder;

class Cmd : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        shell.setSink(output.sink());
        ASSERT_GT(shell.launch(CommandShell::defaultInterpreter(), folder.path()), 0);
    }
    void TearDown() override { shell.shutdown(); }

    QTemporaryDir folder;
    OutputRecorder output;
    CommandShell shell;
};

TEST_F(Cmd, ChineseGoesInAndComesOutInTheConsolesCodePage) {
    shell.sendLine(QStringLiteral("echo 提醒：喝水"));
    ASSERT_TRUE(output.waitForText(QStringLiteral("提醒：喝水\r\n"), 10000))
        << output.text().toStdString();

    // A folder named in Chinese: cd keeps it for the next command, and a
    // file made there by a command is found under its Chinese name.
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("子目录")));
    shell.sendLine(QStringLiteral("cd 子目录"));
    shell.sendLine(QStringLiteral("echo 内容> 标记.txt"));
    shell.sendLine(QStringLiteral("echo 完成"));
    ASSERT_TRUE(output.waitForText(QStringLiteral("完成\r\n"), 10000))
        << output.text().toStdString();
    EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("子目录/标记.txt"))));
}

TEST_F(Cmd, EndedInterpreterIsAnnouncedAndRestartedInTheFirstFolder) {
    const qint64 first = shell.processId();
    shell.sendLine(QStringLiteral("exit"));
    ASSERT_TRUE(test::waitUntilGone(first, 10000));
    shell.sendLine(QStringLiteral("cd"));
    ASSERT_TRUE(output.waitForText(QDir::toNativeSeparators(folder.path()), 10000))
        << output.text().toStdString();
    EXPECT_TRUE(output.text().contains(QStringLiteral("命令解释器已退出")));
    EXPECT_NE(shell.processId(), first);
}

// A command left running in the background goes with the interpreter: it
// never gets to write its file.
TEST_F(Cmd, ShuttingDownEndsWhatCommandsStarted) {
    shell.sendLine(
        QStringLiteral("start /b cmd /c \"ping -n 3 127.0.0.1 >nul & echo late> late.txt\""));
    shell.sendLine(QStringLiteral("echo started"));
    ASSERT_TRUE(output.waitForText(QStringLiteral("started\r\n"), 10000))
        << output.text().toStdString();
    const qint64 pid = shell.processId();
    shell.shutdown();
    EXPECT_TRUE(test::waitUntilGone(pid));
    QTest::qWait(4000);
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("late.txt"))));
}

TEST(ConsoleOutput, ACharacterSplitBetweenReadsIsShownWholeOnce) {
    if (rt::detail::consoleCodePage() != 936) GTEST_SKIP() << "needs the Chinese console page";
    ConsoleOutputDecoder decoder;
    const QByteArray zhong = rt::detail::windowsEncode(936, QStringLiteral("中文"));
    ASSERT_EQ(zhong.size(), 4);
    EXPECT_EQ(decoder.decodeChunk(zhong.first(3)), QStringLiteral("中"));
    EXPECT_EQ(decoder.decodeChunk(zhong.sliced(3)), QStringLiteral("文"));
}

}  // namespace
}  // namespace zorvik
#endif
