// Loading and destroying windows, and message boxes from worker threads:
// the order of events, and what survives handlers that let other events
// run inside them.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <atomic>
#include <thread>

#include "runtime/clock.h"
#include "runtime/runtime.h"

using namespace std::chrono_literals;

namespace {

const QString kWindow = QStringLiteral("生命周期窗口");
const QString kButton = QStringLiteral("按钮1");

class WindowLifecycle : public ::testing::Test {
  protected:
    void SetUp() override {
        rt::setClock(&clock);
        rt::WindowDesc desc;
        desc.name = kWindow;
        desc.width = 200;
        desc.height = 150;
        desc.events = {{rt::ev::Created, "lcCreated"},
                       {rt::ev::Moved, "lcMoved"},
                       {rt::ev::Resized, "lcResized"},
                       {rt::ev::Destroying, "lcDestroying"}};
        rt::ControlDesc button;
        button.name = kButton;
        button.kind = rt::Kind::Button;
        button.width = 80;
        button.height = 30;
        button.events = {{rt::ev::Clicked, "lcClicked"}};
        desc.controls.push_back(button);
        rt::registerWindow(desc);
        for (const char* name : {"lcCreated", "lcMoved", "lcResized", "lcDestroying", "lcClicked"})
            on(name, {});
    }
    void TearDown() override {
        rt::unloadAll();
        QTest::qWait(1);
        rt::setClock(nullptr);
    }
    // Binds handler name to note its own name, then run extra.
    void on(const QString& name, std::function<void()> extra) {
        rt::bindAction(name, [this, name, extra] {
            seen << name;
            if (extra) extra();
        });
    }

    QStringList seen;
    rt::ManualClock clock;
};

}  // namespace

TEST_F(WindowLifecycle, LoadRaisesCreatedMovedResizedInThatOrderWhileTheWindowLives) {
    ASSERT_TRUE(rt::loadWindow(kWindow));
    EXPECT_EQ(seen, (QStringList{"lcCreated", "lcMoved", "lcResized"}));
    EXPECT_TRUE(rt::windowWidget(kWindow)->isVisible());
    rt::unloadAll();

    // A window taken down by its created handler hears nothing more.
    seen.clear();
    on("lcCreated", [] { rt::unloadAll(); });
    EXPECT_TRUE(rt::loadWindow(kWindow));
    EXPECT_EQ(seen, (QStringList{"lcCreated", "lcDestroying"}));
    EXPECT_FALSE(rt::isLoaded(kWindow));
}

TEST_F(WindowLifecycle, AFirstShowHeldBackComesOnTheClock) {
    on("lcCreated", [] { rt::delayFirstShow(kWindow, 500ms); });
    ASSERT_TRUE(rt::loadWindow(kWindow));
    EXPECT_FALSE(rt::windowWidget(kWindow)->isVisible());
    clock.advance(499ms);
    EXPECT_FALSE(rt::windowWidget(kWindow)->isVisible());
    clock.advance(1ms);
    EXPECT_TRUE(rt::windowWidget(kWindow)->isVisible());
    rt::delayFirstShow(kWindow, 500ms);  // only while loading
    rt::unloadAll();

    // A window that goes first is never shown and leaves nothing pending.
    ASSERT_TRUE(rt::loadWindow(kWindow));
    rt::unloadAll();
    EXPECT_EQ(clock.pending(), 0);
}

// The state is set before the event is raised: a second request that runs
// while the handler lets events through finds the window already going.
TEST_F(WindowLifecycle, AboutToBeDestroyedRunsOnceWhateverRunsInsideIt) {
    QString captionInside;
    on("lcDestroying", [&] {
        rt::destroyWindow(kWindow);
        QTest::qWait(20);  // as a dialog opened here would
        captionInside = rt::getProperty(kWindow, kButton, rt::slot::ButtonCaption).toString();
    });
    ASSERT_TRUE(rt::loadWindow(kWindow));
    rt::setProperty(kWindow, kButton, rt::slot::ButtonCaption, QStringLiteral("仍在"));
    rt::destroyWindow(kWindow);
    rt::destroyWindow(kWindow);
    ASSERT_TRUE(QTest::qWaitFor([] { return !rt::isLoaded(kWindow); }, 2000));
    QTest::qWait(30);
    EXPECT_EQ(seen.count("lcDestroying"), 1);
    EXPECT_EQ(captionInside, QStringLiteral("仍在"))
        << "its controls are readable during the event";
}

// A handler that destroys its own window and then lets events run (a
// dialog it shows) still has its widgets under it; they go after it returns.
TEST_F(WindowLifecycle, WidgetsOutliveTheHandlersRunningOnThem) {
    bool destroyedInside = false;
    on("lcClicked", [&] {
        rt::destroyWindow(kWindow);
        QTest::qWait(20);
        destroyedInside = !rt::isLoaded(kWindow);
    });
    ASSERT_TRUE(rt::loadWindow(kWindow));
    QPointer<QAbstractButton> button =
        qobject_cast<QAbstractButton*>(rt::controlObject(kWindow, kButton));
    ASSERT_TRUE(button);
    QTest::mouseClick(button, Qt::LeftButton);  // the click's own code runs on after the handler
    EXPECT_TRUE(destroyedInside);
    EXPECT_TRUE(button) << "still there when the handler returned";
    QTest::qWait(20);
    EXPECT_FALSE(button) << "deleted once nothing of it was on the stack";
}

// A question waits for its answer without holding anything: the call
// returns at once, the box is modal to its own window alone, an
// independent box stays clickable beside it, and the answer comes later.
TEST_F(WindowLifecycle, QuestionsHoldOnlyTheirWindowAndAnswerLater) {
    ASSERT_TRUE(rt::loadWindow(kWindow));
    int answer = -1;
    auto* question = qobject_cast<QMessageBox*>(
        rt::askUser(QStringLiteral("问"), rt::MbYesNo, "t", kWindow, [&](int a) { answer = a; }));
    ASSERT_TRUE(question && question->isVisible());
    EXPECT_EQ(answer, -1);
    EXPECT_EQ(question->windowModality(), Qt::WindowModal);
    EXPECT_EQ(question->parentWidget(), rt::windowWidget(kWindow)) << "owned by its window";

    auto* notice = qobject_cast<QMessageBox*>(rt::showMessageBoxAsync(QStringLiteral("二"), "t"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(notice));
    QTest::mouseClick(notice->button(QMessageBox::Ok), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !notice->isVisible(); }, 2000))
        << "the question holds no other box";
    EXPECT_EQ(answer, -1);
    QTest::mouseClick(question->button(QMessageBox::No), Qt::LeftButton);
    EXPECT_EQ(answer, rt::IdNo);
}

// Controls marked "later" are built one turn after the first paint, or at
// once when something looks one up; either way in their described place
// in the stacking, and the completed event follows them once.
TEST_F(WindowLifecycle, LaterControlsComeAfterTheFirstPaintOrWhenLookedUp) {
    const QString window = QStringLiteral("后建窗口");
    rt::WindowDesc desc;
    desc.name = window;
    desc.width = 200;
    desc.height = 150;
    desc.events = {{rt::ev::Created, "lcCreated"}, {rt::ev::Completed, "lcCompleted"}};
    auto control = [](const char* name, rt::Kind kind, const char* parent, QVariantMap props) {
        rt::ControlDesc d;
        d.name = QString::fromUtf8(name);
        d.kind = kind;
        d.parent = QString::fromUtf8(parent);
        d.width = 100;
        d.height = 40;
        d.props = std::move(props);
        return d;
    };
    desc.controls = {control("分组", rt::Kind::GroupBox, "", {{"later", true}}),
                     control("组内按钮", rt::Kind::Button, "分组", {}),
                     control("组内时钟", rt::Kind::Timer, "分组", {}),
                     control("盖在上面", rt::Kind::Label, "", {})};
    rt::registerWindow(desc);
    on("lcCompleted", {});
    QStringList built;
    on("lcCreated", [&] {
        for (const QObject* o : rt::windowWidget(window)->findChildren<QWidget*>())
            built << o->objectName();
        // An object inside the group is no widget: it is there at once.
        if (rt::controlObject(window, QStringLiteral("组内时钟")))
            built << QStringLiteral("组内时钟");
    });

    for (bool lookUp : {false, true}) {
        seen.clear();
        built.clear();
        ASSERT_TRUE(rt::loadWindow(window));
        EXPECT_TRUE(built.contains(QStringLiteral("盖在上面")));
        EXPECT_FALSE(built.contains(QStringLiteral("分组")));
        EXPECT_TRUE(built.contains(QStringLiteral("组内时钟")));
        if (lookUp)
            EXPECT_NE(rt::controlObject(window, QStringLiteral("组内按钮")), nullptr);
        else
            EXPECT_TRUE(QTest::qWaitFor([&] { return seen.contains("lcCompleted"); }));
        EXPECT_EQ(seen, (QStringList{"lcCreated", "lcCompleted"})) << lookUp;
        QWidget* group = rt::windowWidget(window)->findChild<QWidget*>(QStringLiteral("分组"));
        ASSERT_NE(group, nullptr);
        const QObjectList order = group->parentWidget()->children();
        EXPECT_LT(order.indexOf(group), order.indexOf(rt::windowWidget(window)->findChild<QWidget*>(
                                            QStringLiteral("盖在上面"))))
            << "the label still stacks above the group";
        QTest::qWait(20);
        EXPECT_EQ(seen.count("lcCompleted"), 1);
        rt::unloadAll();
    }
}
