// The desktop around the window, on real widgets with the manual clock:
// the tray's words and ring, its menu, and one copy per settings folder.

#include <QLocalSocket>
#include <QMenu>
#include <QTemporaryDir>

#include "common/program_fixture.h"
#include "desktop/desktop.h"
#include "desktop/run_status.h"
#include "desktop/single_instance.h"
#include "desktop/tray.h"

using namespace Qt::StringLiterals;
using zorvik::desktop::currentStatus;
using zorvik::desktop::ringStep;
using zorvik::desktop::statusText;

namespace {

bool waitFor(const std::function<bool()>& done) {
    return QTest::qWaitFor(done, 5000);
}

using Tray = zt::ProgramTest;

TEST_F(Tray, TooltipAndRingFollowTheRun) {
    setTime(0, 0, 4);
    struct Step {
        std::function<void()> act;
        QString text;
        int ring;
        QString today;  // the runs recorded today and the one under way
    };
    const QString title = u"ZorvikV1.0\n"_s;
    const std::vector<Step> steps = {
        {[] {}, u"00:00:00 · 未开始"_s, -1, u"00:00:00"_s},
        {[&] { click(u"开始"_s); }, u"剩余 00:00:04 · 计时中"_s, 0, u"00:00:00"_s},
        {[&] { runSeconds(2); }, u"剩余 00:00:02 · 计时中"_s, 24, u"00:00:02"_s},
        {[&] { click(u"开始"_s), runSeconds(1); }, u"剩余 00:00:02 · 已暂停"_s, 36, u"00:00:03"_s},
        {[&] { click(u"开始"_s), runSeconds(1); }, u"00:00:00 · 时间到"_s, 48, u"00:00:04"_s},
        {[&] { click(u"重置"_s), countUpMode(), click(u"开始"_s), runSeconds(1); },
         u"已计 00:00:01 · 计时中"_s, 12, u"00:00:05"_s},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(statusText(currentStatus()), title + s.text + u"\n今日计时 "_s + s.today);
        EXPECT_EQ(ringStep(currentStatus()), s.ring) << s.text.toStdString();
    }
}

TEST_F(Tray, MenuDoesWhatTheWindowsButtonsDo) {
    zorvik::desktop::Tray tray;
    auto action = [&](const QString& text) {
        Q_EMIT tray.menu().aboutToShow();
        for (QAction* a : tray.menu().actions())
            if (a->text() == text) return a;
        ADD_FAILURE() << "no menu item " << text.toStdString();
        return new QAction(&tray);
    };
    setTime(0, 1, 0);
    action(u"开始"_s)->trigger();
    EXPECT_EQ(startCaption(), u"暂停"_s);
    action(u"暂停"_s)->trigger();  // the item reads as the button does
    EXPECT_EQ(startCaption(), u"开始"_s);
    action(u"重置"_s)->trigger();
    EXPECT_FALSE(zorvik::core().runActive());

    rt::windowWidget(zt::kMain)->showMinimized();
    action(u"显示主窗口"_s)->trigger();
    EXPECT_FALSE(rt::isWindowMinimized(zt::kMain));

    QString question;
    action(u"退出"_s)->trigger();
    ASSERT_TRUE(zt::answerMessageBox(QMessageBox::No, &question));
    EXPECT_EQ(question, u"是否终止计时并退出计时器？"_s);
    EXPECT_TRUE(rt::isLoaded(zt::kMain));
    action(u"退出"_s)->trigger();
    ASSERT_TRUE(zt::answerMessageBox(QMessageBox::Yes));
    EXPECT_TRUE(waitFor([] { return !rt::isLoaded(zt::kMain); }));
}

TEST(SingleCopy, ASecondCopyOnTheSameFolderHandsOverItsRequestAndHearsTheAnswer) {
    using zorvik::desktop::Request;
    using zorvik::desktop::SingleInstance;
    QTemporaryDir folder, otherFolder;
    QList<Request> heard;
    auto first = std::make_unique<SingleInstance>(folder.path());
    ASSERT_TRUE(first->claim([&](const Request& r, const zorvik::desktop::Reply& reply) {
        heard << r;
        reply(r.kind == Request::Reset ? u"no"_s : QString());
    }));

    SingleInstance second(folder.path());
    EXPECT_FALSE(second.claim({}));
    const auto handOver = [&](const Request& r) {
        std::optional<std::optional<QString>> answer;
        second.handOver(r, [&](std::optional<QString> a, bool) { answer = a; });
        EXPECT_TRUE(waitFor([&] { return answer.has_value(); }));
        return answer.value_or(std::nullopt);
    };
    const Request start{Request::Start, u"1"_s, u"30"_s, u"0"_s};
    EXPECT_EQ(handOver(start), QString());
    EXPECT_EQ(handOver(Request{Request::Reset}), u"no"_s);
    // A copy of an older version connects and sends nothing: show.
    QLocalSocket plain;
    plain.connectToServer(second.serverName());
    EXPECT_TRUE(waitFor([&] { return heard.size() == 3; }));
    EXPECT_EQ(heard, (QList<Request>{start, Request{Request::Reset}, Request{Request::Show}}));
    // Anything else is not a request.
    QLocalSocket junk;
    junk.connectToServer(second.serverName());
    junk.write("start 25m; rm -rf ~\n");
    EXPECT_TRUE(waitFor([&] { return junk.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(heard.size(), 3);

    SingleInstance elsewhere(otherFolder.path());  // other settings, other copy
    EXPECT_TRUE(elsewhere.claim({}));
    first.reset();  // the first copy ends
    SingleInstance next(folder.path());
    EXPECT_TRUE(next.claim({}));
}

}  // namespace
