// The main window: placement, controls, panel toggles and the exit path.

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>

#include "common/program_fixture.h"
#include "timer/inputs.h"

using namespace Qt::StringLiterals;

namespace {

class MainWindow : public zt::ProgramTest {
  protected:
    int width() const { return rt::getProperty(zt::kMain, zt::kMain, rt::slot::Width).toInt(); }
    int height() const { return rt::getProperty(zt::kMain, zt::kMain, rt::slot::Height).toInt(); }
    QString caption(const QString& c, int slot = rt::slot::ButtonCaption) const {
        return prop(c, slot).toString();
    }
    void pressSettings() {
        auto* label = qobject_cast<QWidget*>(rt::controlObject(zt::kMain, u"设置"_s));
        QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(10, 10));
    }
    void clickWidget(const QString& name) {
        auto* w = qobject_cast<QAbstractButton*>(rt::controlObject(zt::kMain, name));
        ASSERT_NE(w, nullptr);
        w->click();
    }
};

// A handler renamed on one side only would leave its control dead.
TEST_F(MainWindow, EveryHandlerNameInTheDescriptionsIsBound) {
    EXPECT_EQ(rt::unboundHandlers(), QStringList());
}

TEST_F(MainWindow, OpensCompactAndPlacedOnTheScreen) {
    EXPECT_EQ(width(), 265);
    EXPECT_EQ(height(), 300);
    // 1920 x 1080: left 1920/2 - 265 - 12, top 1080/2 - 300 - 50.
    EXPECT_EQ(rt::getProperty(zt::kMain, zt::kMain, rt::slot::Left).toInt(), 683);
    EXPECT_EQ(rt::getProperty(zt::kMain, zt::kMain, rt::slot::Top).toInt(), 190);
    EXPECT_EQ(rt::windowWidget(zt::kMain)->windowTitle(), u"ZorvikV1.0"_s);
    const int client = rt::clientWidth(zt::kMain);
    EXPECT_EQ(prop(u"分隔条1"_s, rt::slot::Width).toInt(), client);
    EXPECT_EQ(prop(u"透明标签_时间显示"_s, rt::slot::Left).toInt(), (client - 208) / 2);
    EXPECT_EQ(prop(u"透明标签4"_s, rt::slot::Left).toInt(), int((265 - 128) / 2.0));
    EXPECT_FALSE(prop(u"记录1"_s, rt::slot::Visible).toBool());
    EXPECT_EQ(display(), u"00:00:00"_s);
    EXPECT_EQ(startCaption(), u"开始"_s);
    // Every designed control is there under its stored name.
    for (const QString& name :
         {u"输入_时"_s, u"输入_分"_s, u"输入_秒"_s, u"清空"_s, u"选择框_窗口置顶"_s, u"重置"_s,
          u"按钮_退出"_s, u"分组框1"_s, u"倒计时"_s, u"提醒类型_组合框"_s, u"高级表格1"_s,
          u"编辑框_CMD输出"_s, u"时钟1"_s, u"媒体播放1"_s, u"通用对话框1"_s, u"结束音"_s})
        EXPECT_NE(rt::controlObject(zt::kMain, name), nullptr) << name.toStdString();
}

TEST_F(MainWindow, SettingsToggleOpensAndClosesAndAlwaysReturnsToCompact) {
    pressSettings();
    EXPECT_EQ(width(), 560);
    EXPECT_EQ(height(), 300);
    EXPECT_EQ(caption(u"设置"_s, rt::slot::LabelCaption), u"设置<"_s);
    pressSettings();
    EXPECT_EQ(width(), 265);
    EXPECT_EQ(caption(u"设置"_s, rt::slot::LabelCaption), u"设置>"_s);
    pressSettings();
    clickWidget(u"自定义提醒_按钮"_s);
    EXPECT_EQ(height(), 580);
    EXPECT_EQ(caption(u"自定义提醒_按钮"_s), u"配置↑"_s);
    pressSettings();  // from the table view straight back to compact
    EXPECT_EQ(width(), 265);
    EXPECT_EQ(height(), 300);
    EXPECT_EQ(caption(u"自定义提醒_按钮"_s), u"配置↓"_s);
    EXPECT_EQ(caption(u"设置"_s, rt::slot::LabelCaption), u"设置>"_s);
    // Resizing keeps the footer centred and the divider full width.
    EXPECT_EQ(prop(u"透明标签4"_s, rt::slot::Left).toInt(), int((265 - 128) / 2.0));
}

TEST_F(MainWindow, CommandSwitchOpensTheOutputPanelAndTheTableReopensIt) {
    pressSettings();
    clickWidget(u"自定义提醒_按钮"_s);
    clickWidget(u"选择框_命令行"_s);  // checks it
    EXPECT_EQ(width(), 878);
    EXPECT_EQ(caption(u"按钮_收起cmd信息"_s), u"收起<"_s);
    EXPECT_FALSE(prop(u"按钮_收起cmd信息"_s, rt::slot::Disabled).toBool());
    EXPECT_EQ(stored(u"自定义提醒"_s, u"启用CMD命令"_s), u"真"_s);
    EXPECT_EQ(prop(u"透明标签4"_s, rt::slot::Left).toInt(), int((878 - 128) / 2.0));
    clickWidget(u"自定义提醒_按钮"_s);
    EXPECT_EQ(width(), 560);
    EXPECT_EQ(height(), 300);
    clickWidget(u"自定义提醒_按钮"_s);
    EXPECT_EQ(width(), 878) << "the output panel reopens with the table";
    EXPECT_EQ(height(), 580);
    clickWidget(u"按钮_收起cmd信息"_s);
    EXPECT_EQ(width(), 560);
    EXPECT_EQ(caption(u"按钮_收起cmd信息"_s), u"打开>"_s);
    clickWidget(u"按钮_收起cmd信息"_s);
    EXPECT_EQ(width(), 878);
    clickWidget(u"选择框_命令行"_s);  // unchecks it
    EXPECT_EQ(width(), 560);
    EXPECT_EQ(caption(u"按钮_收起cmd信息"_s), u"打开>"_s);
    EXPECT_TRUE(prop(u"按钮_收起cmd信息"_s, rt::slot::Disabled).toBool());
    EXPECT_EQ(stored(u"自定义提醒"_s, u"启用CMD命令"_s), u"假"_s);
}

TEST_F(MainWindow, ReminderKindShowsTheAudioButtonOnlyForOwnMusic) {
    using zorvik::ReminderKind;
    chooseKind(ReminderKind::CustomAudio);
    rt::raiseEvent(zt::kMain, u"提醒类型_组合框"_s, rt::ev::ListClosed);
    EXPECT_TRUE(prop(u"选择音频_按钮"_s, rt::slot::Visible).toBool());
    EXPECT_EQ(stored(u"计时"_s, u"提醒类型"_s), zt::storedKind(ReminderKind::CustomAudio));
    rt::raiseEvent(zt::kMain, u"提醒类型_组合框"_s, rt::ev::ListClosed);  // unchanged: same again
    EXPECT_TRUE(prop(u"选择音频_按钮"_s, rt::slot::Visible).toBool());
    chooseKind(ReminderKind::Box);
    rt::raiseEvent(zt::kMain, u"提醒类型_组合框"_s, rt::ev::ListClosed);
    EXPECT_FALSE(prop(u"选择音频_按钮"_s, rt::slot::Visible).toBool());
    // Selections are clamped to the list.
    set(u"提醒类型_组合框"_s, rt::slot::ComboSelection, zorvik::kReminderKindCount + 1);
    EXPECT_EQ(prop(u"提醒类型_组合框"_s, rt::slot::ComboSelection).toInt(),
              zorvik::kReminderKindCount - 1);
    set(u"提醒类型_组合框"_s, rt::slot::ComboSelection, -5);
    EXPECT_EQ(prop(u"提醒类型_组合框"_s, rt::slot::ComboSelection).toInt(), -1);
}

TEST_F(MainWindow, ClosingAsksAndNoKeepsARunCounting) {
    setTime(0, 0, 30);
    click(u"开始"_s);
    QString text, title;
    EXPECT_FALSE(rt::windowWidget(zt::kMain)->close()) << "not before the answer";
    runSeconds(2);
    EXPECT_EQ(display(), u"00:00:28"_s) << "the run counts while the question waits";
    EXPECT_FALSE(rt::windowWidget(zt::kMain)->close()) << "asked once, not twice";
    ASSERT_TRUE(zt::answerMessageBox(QMessageBox::No, &text, &title));
    EXPECT_FALSE(zt::answerMessageBox(QMessageBox::No)) << "one question only";
    EXPECT_EQ(text, u"是否终止计时并退出计时器？"_s);
    EXPECT_EQ(title, u"提示："_s);
    QApplication::processEvents();
    EXPECT_TRUE(rt::isLoaded(zt::kMain));
    runSeconds(2);
    EXPECT_EQ(display(), u"00:00:26"_s) << "the run went on";

    rt::windowWidget(zt::kMain)->close();
    ASSERT_TRUE(zt::answerMessageBox(QMessageBox::Yes));
    QTRY_VERIFY(!rt::isLoaded(zt::kMain));
}

TEST_F(MainWindow, ExitButtonAsksOnceAndDestroysWithoutTheCloseQuestion) {
    int questions = 0;
    auto* counter = new QTimer(qApp);
    QObject::connect(counter, &QTimer::timeout, counter, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++questions;
            box->button(QMessageBox::Yes)->click();
        }
    });
    counter->start(5);
    clickWidget(u"按钮_退出"_s);
    QTRY_VERIFY(!rt::isLoaded(zt::kMain));
    QTest::qWait(50);
    counter->deleteLater();
    EXPECT_EQ(questions, 1);
}

TEST_F(MainWindow, ExitButtonAnsweredNoChangesNothing) {
    clickWidget(u"按钮_退出"_s);
    ASSERT_TRUE(zt::answerMessageBox(QMessageBox::No));
    QTest::qWait(20);
    EXPECT_TRUE(rt::isLoaded(zt::kMain));
}

TEST_F(MainWindow, RuntimeContracts) {
    // A content write raises content-changed exactly once, synchronously,
    // and a handler that corrects its box runs once more, not endlessly.
    int calls = 0;
    rt::bindAction(u"onHoursChanged"_s, [&] {
        ++calls;
        if (prop(u"输入_时"_s, rt::slot::EditContent).toString() == u"-1"_s)
            set(u"输入_时"_s, rt::slot::EditContent, u"0"_s);
    });
    set(u"输入_时"_s, rt::slot::EditContent, u"7"_s);
    EXPECT_EQ(calls, 1);
    set(u"输入_时"_s, rt::slot::EditContent, u"-1"_s);
    EXPECT_EQ(calls, 3);
    zorvik::assembleProgram();  // already assembled: handlers stay as they are
    // Loading a loaded window only brings it forward.
    QWidget* before = rt::windowWidget(zt::kMain);
    EXPECT_TRUE(rt::loadWindow(zt::kMain));
    EXPECT_EQ(rt::windowWidget(zt::kMain), before);
    // A Yes/No box answered No gives 6.
    int answer = -1;
    rt::askUser(u"?"_s, rt::MbYesNo, {}, {}, [&](int a) { answer = a; });
    ASSERT_TRUE(zt::answerMessageBox(QMessageBox::No));
    EXPECT_EQ(answer, rt::IdNo);
    zorvik::registerTimerHandlers();
}

}  // namespace
