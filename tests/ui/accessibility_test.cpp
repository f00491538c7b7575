// What a screen reader learns of the windows, through Qt's accessibility
// interfaces (what the accessibility bus carries), and Qt's own texts in
// Chinese.

#include <QAccessible>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "common/program_fixture.h"
#include "runtime/translations.h"

namespace zorvik::testing {
namespace {

class AccessibilityTest : public ProgramTest {
  protected:
    static QAccessibleInterface* of(const QString& window, const QString& control) {
        return QAccessible::queryAccessibleInterface(rt::controlObject(window, control));
    }
};

// The events a screen reader hears as the time counts and a run ends are
// read off the accessibility bus in the desktop tests.
TEST_F(AccessibilityTest, ControlsTellWhatTheyShow) {
    loadMain();
    const struct {
        QString control;
        QAccessible::Role role;
        QString name;
    } expected[] = {
        {u"透明标签_时间显示"_s, QAccessible::StaticText, u"00:00:00"_s},
        {u"透明标签1"_s, QAccessible::StaticText, u"输入时长"_s},
        {u"设置"_s, QAccessible::StaticText, u"设置>"_s},
        {u"透明标签3"_s, QAccessible::StaticText, u"分钟提醒一次"_s},
        {u"输入_时"_s, QAccessible::EditableText, u"输入时长：时"_s},
        {u"提醒_编辑框"_s, QAccessible::EditableText, u"间隔提醒：每几分钟提醒一次"_s},
        {u"提醒类型_组合框"_s, QAccessible::ComboBox, u"嘟嘟声"_s},  // its value
        {u"编辑框_CMD输出"_s, QAccessible::EditableText, u"CMD输出"_s},
        {u"记录2"_s, QAccessible::AlertMessage, u"终于："_s},
        {u"分隔条1"_s, QAccessible::Separator, QString()},
    };
    for (const auto& e : expected) {
        QAccessibleInterface* i = of(kMain, e.control);
        ASSERT_NE(i, nullptr) << e.control.toStdString();
        EXPECT_EQ(i->role(), e.role) << e.control.toStdString();
        EXPECT_EQ(i->text(QAccessible::Name), e.name) << e.control.toStdString();
    }
    EXPECT_EQ(of(kMain, u"提醒类型_组合框"_s)->text(QAccessible::Description), u"提醒类型"_s);
    menuItem(u"热键"_s)->trigger();
    EXPECT_EQ(of(kHotkey, u"编辑框_开始运行"_s)->text(QAccessible::Name), u"开始热键"_s);

    for (const QString& box : {u"输入_时"_s, u"输入_分"_s, u"输入_秒"_s})
        rt::setProperty(kMain, box, rt::slot::EditContent, box == u"输入_秒"_s ? u"2"_s : u"0"_s);
    startOrPause();
    clock.advanceSeconds(1);
    EXPECT_EQ(of(kMain, u"透明标签_时间显示"_s)->text(QAccessible::Name), u"00:00:01"_s);
}

TEST_F(AccessibilityTest, StandardButtonsReadChinese) {
    ASSERT_TRUE(rt::loadQtTranslations());
    loadMain();
    QStringList names;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, &answer, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        for (QAbstractButton* b : box->buttons())
            names << QAccessible::queryAccessibleInterface(b)->text(QAccessible::Name);
        box->button(box->buttons().size() > 1 ? QMessageBox::No : QMessageBox::Ok)->click();
    });
    answer.start(10);
    rt::windowWidget(kMain)->close();  // the close question, answered No
    ASSERT_TRUE(QTest::qWaitFor([&] { return names.size() == 2; }));
    menuItem(u"导出"_s)->trigger();  // the export notice
    ASSERT_TRUE(QTest::qWaitFor([&] { return names.size() == 3; }));
    names.sort();
    ASSERT_EQ(names.size(), 3);
    EXPECT_TRUE(names[0].startsWith(u"否"_s)) << names[0].toStdString();
    EXPECT_TRUE(names[1].startsWith(u"是"_s)) << names[1].toStdString();
    EXPECT_EQ(names[2], u"确定"_s);
    EXPECT_TRUE(rt::isLoaded(kMain));
}

}  // namespace
}  // namespace zorvik::testing
