// The sleep block, held exactly while a run counts, as logind on the
// system bus sees it; on real widgets with the manual clock.

#include "common/program_fixture.h"
#include "desktop/desktop.h"
#include "logind_bus.h"

using namespace Qt::StringLiterals;

namespace {

bool waitFor(const std::function<bool()>& done) {
    return QTest::qWaitFor(done, 5000);
}

class SleepBlock : public zt::ProgramTest {
  protected:
    static void SetUpTestSuite() { bus = new zt::LogindBus; }
    static void TearDownTestSuite() { delete bus; }
    static inline zt::LogindBus* bus = nullptr;
};

TEST_F(SleepBlock, HeldWhileARunCountsAndDroppedOnPauseResetAndEnd) {
    SCOPED_TRACE(bus->why().toStdString());
    ASSERT_TRUE(bus->ready());
    std::unique_ptr<QObject> desktop(zorvik::desktop::integrate());
    auto held = [] { return bus->mine().size(); };
    setTime(0, 0, 5);
    QTest::qWait(50);
    EXPECT_EQ(held(), 0) << "nothing counts, nothing is held";

    click(u"开始"_s);
    ASSERT_TRUE(waitFor([&] { return held() == 1; }));
    const zt::Inhibitor block = bus->mine().first();
    EXPECT_EQ(block.what, u"sleep:idle"_s);
    EXPECT_EQ(block.who, u"Zorvik"_s);
    EXPECT_EQ(block.mode, u"block"_s);
    EXPECT_FALSE(block.why.isEmpty());

    click(u"开始"_s), runSeconds(1);  // paused
    EXPECT_TRUE(waitFor([&] { return held() == 0; }));
    click(u"开始"_s);  // resumed
    EXPECT_TRUE(waitFor([&] { return held() == 1; }));
    click(u"重置"_s);
    EXPECT_TRUE(waitFor([&] { return held() == 0; }));
    click(u"开始"_s);
    EXPECT_TRUE(waitFor([&] { return held() == 1; }));
    runSeconds(5);  // the natural end
    EXPECT_EQ(displayColour(), 255);
    EXPECT_TRUE(waitFor([&] { return held() == 0; }));
}

}  // namespace
