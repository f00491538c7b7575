// The help window: its text, its place and that it cannot be edited.

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

#include "common/program_fixture.h"
#include "ui/help_window.h"

namespace zorvik::testing {
namespace {

using HelpWindowTest = ProgramTest;

TEST_F(HelpWindowTest, OpensFromMenuAndButtonShowingTheTextReadOnly) {
    const QStringList lines = helpText().split(u"\r\n"_s);
    ASSERT_EQ(lines.size(), 21);
    EXPECT_TRUE(lines[5].isEmpty());
    EXPECT_EQ(lines[16], QString(19, u' ') + u"②插入一行，会在选中的行，的下方插入"_s);
    EXPECT_EQ(lines[17], QString(19, u' ') + u"③删除一行，会删除选中的行"_s);
    EXPECT_TRUE(lines[20].endsWith(u"“配置.ini”“自定义提醒数据”。"_s));

    loadMain();
    menuItem(u"关于"_s)->trigger();
    EXPECT_EQ(text(kHelp, kHelp, rt::slot::WindowCaption), u"ZorvikV1.0——帮助"_s);
    EXPECT_EQ(rt::getProperty(kHelp, kHelp, rt::slot::Left).toInt(), (1920 - 746) / 2);
    EXPECT_EQ(rt::getProperty(kHelp, kHelp, rt::slot::Top).toInt(), (1080 - 457) / 2);
    auto* box = qobject_cast<QPlainTextEdit*>(rt::controlObject(kHelp, u"编辑框1"_s));
    ASSERT_EQ(box->document()->blockCount(), 21);  // CR LF: line breaks, nothing stray
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ(box->document()->findBlockByNumber(i).text(), lines[i]) << i;
    EXPECT_GT(box->verticalScrollBar()->maximum(), 0);  // taller than the box

    activate(kHelp);
    box->setFocus();
    EXPECT_EQ(box->cursorWidth(), 0) << "no caret in text that cannot change";
    QTest::keyClicks(box, u"abc"_s);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete})
        QTest::keyClick(box, key);
    EXPECT_EQ(box->toPlainText(), lines.join(u'\n'));
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), lines.join(u'\n'));

    // Closed, the table panel's "帮助" button opens a fresh one.
    rt::windowWidget(kHelp)->close();
    waitUnloaded(kHelp);
    press(kMain, u"按钮2"_s);
    EXPECT_TRUE(rt::isLoaded(kHelp));
}

// Lines 17 and 18 begin with spaces that stand for the columns before the
// first sub-item of line 16; they start under it in whatever face shows them.
TEST_F(HelpWindowTest, IndentedLinesStartUnderTheFirstSubItemInAnyFace) {
    loadMain();
    menuItem(u"关于"_s)->trigger();
    auto* box = qobject_cast<QPlainTextEdit*>(rt::controlObject(kHelp, u"编辑框1"_s));
    const auto xOf = [&](int line, char16_t mark) {
        const QTextBlock block = box->document()->findBlockByNumber(line);
        QTextCursor cursor(block);
        cursor.setPosition(block.position() + int(block.text().indexOf(QChar(mark))));
        return box->cursorRect(cursor).x();
    };
    for (const QString& face : {QString(), u"DejaVu Sans"_s, u"Noto Serif CJK SC"_s}) {
        if (!face.isEmpty()) {
            QFont font = box->font();
            font.setFamilies({face});
            box->setFont(font);
        }
        const int item = xOf(15, u'①');
        EXPECT_GT(item, 100) << face.toStdString();
        EXPECT_NEAR(xOf(16, u'②'), item, 1) << face.toStdString();
        EXPECT_NEAR(xOf(17, u'③'), item, 1) << face.toStdString();
    }
}

}  // namespace
}  // namespace zorvik::testing
