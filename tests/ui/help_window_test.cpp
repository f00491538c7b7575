// The help window: its text, its look and that it cannot be edited.

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

#include "program_fixture.h"
#include "ui/help_window.h"

using namespace Qt::StringLiterals;

namespace zorvik::testing {
namespace {

using HelpWindowTest = ProgramTest;

QPlainTextEdit* helpBox() {
    return qobject_cast<QPlainTextEdit*>(rt::controlObject(kHelp, u"编辑框1"_s));
}

TEST(HelpText, HasTwentyOneCrLfLinesWithTheIndentedSubItems) {
    const QString text = helpText();
    EXPECT_FALSE(text.endsWith(u'\n'));
    const QStringList lines = text.split(u"\r\n"_s);
    ASSERT_EQ(lines.size(), 21);
    for (const QString& line : lines) EXPECT_FALSE(line.contains(u'\r') || line.contains(u'\n'));
    EXPECT_EQ(lines[0], u"使用场景："_s);
    EXPECT_TRUE(lines[5].isEmpty());
    EXPECT_EQ(lines[6], u"操作："_s);
    EXPECT_EQ(lines[16], QString(19, u' ') + u"②插入一行，会在选中的行，的下方插入"_s);
    EXPECT_EQ(lines[17], QString(19, u' ') + u"③删除一行，会删除选中的行"_s);
    EXPECT_TRUE(lines[20].startsWith(u"12、菜单--配置文件--导入功能"_s));
    EXPECT_TRUE(lines[20].endsWith(u"“配置.ini”“自定义提醒数据”。"_s));
}

TEST_F(HelpWindowTest, OpensFromMenuAndButtonShowingTheTextReadOnly) {
    loadMain();
    menuItem(u"关于"_s)->trigger();
    ASSERT_TRUE(rt::isLoaded(kHelp));
    EXPECT_EQ(text(kHelp, kHelp, rt::slot::WindowCaption), u"ZorvikV1.0——帮助"_s);
    EXPECT_EQ(rt::getProperty(kHelp, kHelp, rt::slot::Width).toInt(), 746);
    EXPECT_EQ(rt::getProperty(kHelp, kHelp, rt::slot::Height).toInt(), 457);
    EXPECT_EQ(rt::getProperty(kHelp, kHelp, rt::slot::Left).toInt(), (1920 - 746) / 2);
    EXPECT_EQ(rt::getProperty(kHelp, kHelp, rt::slot::Top).toInt(), (1080 - 457) / 2);

    QPlainTextEdit* box = helpBox();
    ASSERT_NE(box, nullptr);
    // CR LF shows as line breaks, with nothing stray left in the lines.
    const QStringList lines = helpText().split(u"\r\n"_s);
    ASSERT_EQ(box->document()->blockCount(), 21);
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ(box->document()->findBlockByNumber(i).text(), lines[i]) << i;
    EXPECT_EQ(box->font().pixelSize(), 14);
    EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_GT(box->verticalScrollBar()->maximum(), 0);  // taller than the box

    // Typing changes nothing; selecting and copying works.
    activate(kHelp);
    box->setFocus();
    QTest::keyClicks(box, u"abc"_s);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete})
        QTest::keyClick(box, key);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->toPlainText(), lines.join(u'\n'));
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), lines.join(u'\n'));

    // The button of the table panel brings the open window forward; after
    // closing, it opens a fresh one.
    activate(kMain);
    click(kMain, u"按钮2"_s);
    EXPECT_TRUE(QTest::qWaitForWindowActive(rt::windowWidget(kHelp)));
    rt::windowWidget(kHelp)->close();
    waitUnloaded(kHelp);
    EXPECT_TRUE(rt::isLoaded(kMain));
    click(kMain, u"按钮2"_s);
    ASSERT_TRUE(rt::isLoaded(kHelp));
    EXPECT_EQ(helpBox()->document()->blockCount(), 21);
}

}  // namespace
}  // namespace zorvik::testing
