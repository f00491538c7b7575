// The tray on a real desktop: session.sh starts an X server, a window
// manager, a tray host and a notification daemon, then runs this with the
// xcb platform and the real clock.

#include <QCursor>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QToolTip>

#include "common/program_fixture.h"
#include "desktop/desktop.h"
#include "desktop/tray.h"

using namespace Qt::StringLiterals;

namespace {

bool waitFor(const std::function<bool()>& done, int ms = 5000) {
    return QTest::qWaitFor(done, ms);
}

QString notificationHistory() {
    QProcess::execute(u"dunstctl"_s, {u"close-all"_s});  // shown ones go to the history
    QProcess p;
    p.start(u"dunstctl"_s, {u"history"_s});
    p.waitForFinished(3000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

class Session : public zt::ProgramTest {
  protected:
    void SetUp() override {
        zt::ProgramTest::SetUp();
        zorvik::setClock(nullptr);  // the steady clock and real timers
        desktop.reset(zorvik::desktop::integrate());
    }
    void TearDown() override {
        desktop.reset();
        zt::ProgramTest::TearDown();
    }
    std::unique_ptr<QObject> desktop;
};

TEST_F(Session, TrayShowsTheRunAndAMinimisedEndNotifies) {
    // The tray host may take its selection a moment after its panel shows.
    ASSERT_TRUE(waitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10000))
        << "the tray host is running";
    zorvik::desktop::Tray* tray = nullptr;
    ASSERT_TRUE(waitFor([&] { return tray = desktop->findChild<zorvik::desktop::Tray*>(); }));
    QSystemTrayIcon& icon = tray->icon();
    EXPECT_FALSE(rt::windowWidget(zt::kMain)->windowIcon().availableSizes().isEmpty());
    // Embedded by the tray host: the icon has a place on the screen.
    // Embedded by the tray host: the icon has a place on the screen, and
    // keeps it once the host has laid out its row.
    QRect placed;
    ASSERT_TRUE(waitFor([&] {
        const QRect now = icon.isVisible() ? icon.geometry() : QRect();
        const bool settled = !now.isEmpty() && now == placed;
        placed = now;
        QTest::qWait(200);
        return settled;
    }));

    setTime(0, 0, 3);
    click(u"开始"_s);
    // The pointer moves onto the icon and rests there, as a hand does.
    const QPoint centre = placed.center();
    for (int step : {6, 3, 0}) {
        QCursor::setPos(centre - QPoint(step, step));
        QTest::qWait(50);
    }
    EXPECT_TRUE(waitFor([] {
        return QToolTip::isVisible() && QToolTip::text().contains(u"剩余 00:00:0"_s) &&
               QToolTip::text().contains(u"计时中"_s);
    })) << QToolTip::text().toStdString();

    QWidget* main = rt::windowWidget(zt::kMain);
    main->showMinimized();
    ASSERT_TRUE(waitFor([&] { return main->isMinimized(); }));
    ASSERT_TRUE(waitFor([&] { return displayColour() == 255; }, 6000)) << "the run ended";
    EXPECT_TRUE(waitFor([] { return notificationHistory().contains(u"时间到"_s); }));
}

}  // namespace
