// The filtered boxes' rules hold for every way text comes in, a disabled
// control of any kind looks disabled, and the keyboard goes only where the
// window shows.

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPlainTextEdit>

#include "common/program_fixture.h"
#include "runtime/line_edit.h"

namespace zorvik::testing {
namespace {

class InputTest : public ProgramTest {
  protected:
    static rt::LineEdit* box(const QString& name) {
        return qobject_cast<rt::LineEdit*>(rt::controlObject(kMain, name));
    }
    static QString content(const QString& name) { return text(kMain, name, rt::slot::EditContent); }
    QString stored(const QString& key) const {
        return rt::readIniEntry(path(u"配置.ini"_s), u"计时"_s, key);
    }
};

TEST_F(InputTest, PasteDropAndInputMethodsObeyTheFilterAndTheCap) {
    loadMain();
    rt::setProperty(kMain, kMain, rt::slot::Width, 560);  // the interval box shows
    enum Way { Paste, Drop, Compose };
    const struct {
        QString control, start, entered;
        Way way;
        QString shown, storedKey;
    } cases[] = {
        {u"输入_时"_s, u"0"_s, u"使用场景："_s, Paste, u"0"_s, u"时"_s},
        {u"输入_时"_s, QString(), u"a1b2c3d4"_s, Paste, u"123"_s, u"时"_s},
        {u"输入_分"_s, u"12"_s, u"34"_s, Paste, u"123"_s, u"分"_s},
        {u"输入_秒"_s, u"123"_s, u"4"_s, Paste, u"123"_s, u"秒"_s},
        {u"输入_秒"_s, QString(), u"x9y9z9w9"_s, Drop, u"999"_s, u"秒"_s},
        {u"输入_分"_s, QString(), u"五5６6"_s, Compose, u"56"_s, u"分"_s},
        {u"提醒_编辑框"_s, QString(), u"１２12.5分钟"_s, Paste, u"12.5"_s, u"间隔提醒时间"_s},
    };
    for (const auto& c : cases) {
        const std::string where = c.control.toStdString() + " <- " + c.entered.toStdString();
        rt::LineEdit* e = box(c.control);
        rt::setProperty(kMain, c.control, rt::slot::EditContent, c.start);
        e->setFocus();
        e->end(false);
        if (c.way == Paste) {
            QApplication::clipboard()->setText(c.entered);
            QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        } else if (c.way == Drop) {
            QMimeData data;
            data.setText(c.entered);
            const QPoint at(e->width() - 2, 10);
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(e, &enter);
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(e, &drop);
        } else {
            QInputMethodEvent compose(QString(), {});
            compose.setCommitString(c.entered);
            QApplication::sendEvent(e, &compose);
        }
        EXPECT_EQ(content(c.control), c.shown) << where;
        EXPECT_EQ(stored(c.storedKey), c.shown) << where;
    }
    // What the program writes counts in full.
    rt::setProperty(kMain, u"输入_时"_s, rt::slot::EditContent, u"12345"_s);
    EXPECT_EQ(content(u"输入_时"_s), u"12345"_s);
}

TEST_F(InputTest, DisabledControlsOfEveryKindLookDisabled) {
    loadMain();
    rt::setProperty(kMain, kMain, rt::slot::Width, 560);
    rt::setProperty(kMain, u"提醒_编辑框"_s, rt::slot::EditContent, u"5"_s);
    // The darkest pixel the control paints: its text.
    auto darkest = [](QWidget* w) {
        const QImage img = w->grab().toImage();
        int dark = 255;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qAlpha(img.pixel(x, y)) == 255) dark = std::min(dark, qGray(img.pixel(x, y)));
        return dark;
    };
    for (const QString& name : {u"提醒类型_组合框"_s, u"提醒_编辑框"_s, u"输入_时"_s, u"开始"_s,
                                u"启用自定义提醒"_s, u"倒计时"_s, u"透明标签5"_s}) {
        auto* w = qobject_cast<QWidget*>(rt::controlObject(kMain, name));
        const int enabled = darkest(w);
        rt::setProperty(kMain, name, rt::slot::Disabled, true);
        EXPECT_GT(darkest(w), enabled + 40) << name.toStdString() << " greys out";
        rt::setProperty(kMain, name, rt::slot::Disabled, false);
    }
}

// Tab never takes the focus into a closed panel, where nothing of it shows,
// and it leaves the command output box, Ctrl+Tab too.
TEST_F(InputTest, TabGoesOnlyToControlsOnTheScreenAndLeavesTheOutputBox) {
    loadMain();
    QWidget* client = rt::windowWidget(kMain)->findChild<QWidget*>(u"client"_s);
    const auto focused = [] { return QApplication::focusWidget(); };
    const auto onScreen = [&](QWidget* w) {
        return w && client->isAncestorOf(w) &&
               client->mask().intersects(QRect(w->mapTo(client, QPoint()), w->size()));
    };
    auto* output = qobject_cast<QPlainTextEdit*>(rt::controlObject(kMain, u"编辑框_CMD输出"_s));
    ASSERT_NE(output, nullptr);
    for (const int width : {265, 878, 265}) {
        rt::setProperty(kMain, kMain, rt::slot::Width, width);
        rt::setProperty(kMain, kMain, rt::slot::Height, width == 265 ? 300 : 580);
        if (width == 878) output->setFocus();
        EXPECT_TRUE(onScreen(focused())) << "after the resize to " << width;
        QSet<QWidget*> visited;
        for (int press = 0; press < 40; ++press) {
            QTest::keyClick(focused(), Qt::Key_Tab);
            ASSERT_TRUE(onScreen(focused()))
                << width << ", press " << press << ": " << focused()->objectName().toStdString();
            visited << focused();
        }
        EXPECT_EQ(visited.contains(output), width == 878);
    }
    rt::setProperty(kMain, kMain, rt::slot::Width, 878);
    rt::setProperty(kMain, kMain, rt::slot::Height, 580);
    for (const Qt::KeyboardModifiers mods :
         {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::ControlModifier)}) {
        output->setFocus();
        QTest::keyClick(output, Qt::Key_Tab, mods);
        EXPECT_NE(focused(), output) << int(mods);
    }
    EXPECT_FALSE(output->toPlainText().contains(u'\t'));
}

}  // namespace
}  // namespace zorvik::testing
