// The history window: the totals and runs of "计时记录.csv", and a run
// that ends showing at once.

#include <QRegularExpression>

#include "common/files.h"
#include "common/program_fixture.h"

namespace zorvik::testing {
namespace {

using HistoryWindowTest = ProgramTest;

const QString kHistory = u"计时记录窗口"_s;

TEST_F(HistoryWindowTest, ShowsTheTotalsOfTheFileAndItsRunsNewestFirst) {
    const QString today = QDate::currentDate().toString(u"yyyy-MM-dd"_s);
    const QString old = QDate::currentDate().addDays(-10).toString(u"yyyy-MM-dd"_s);
    const QString file = u"开始,结束,设定秒数,计时秒数,方式,结果\r\n"_s + old + u" 08:00:00,"_s +
                         old + u" 09:00:00,3600,3600,倒计时,完成\r\n"_s + today + u" 08:00:00,"_s +
                         today + u" 08:25:00,1500,1500,倒计时,完成\r\n"_s +
                         u"2026-13-01 08:00:00,damaged\r\n"_s + today + u" 09:00:00,"_s + today +
                         u" 09:10:00,1500,600,正计时,重置\r\n"_s;
    zt::writeAll(path(u"计时记录.csv"_s), "\xEF\xBB\xBF" + file.toUtf8());
    loadMain();
    menuItem(u"计时记录"_s)->trigger();
    EXPECT_EQ(text(kHistory, kHistory, rt::slot::WindowCaption), u"ZorvikV1.0——计时记录"_s);
    const auto shown = [](const QString& control) {
        return rt::getProperty(kHistory, control, rt::slot::LabelCaption).toString();
    };
    const auto runs = [] {
        return rt::getProperty(kHistory, u"记录_编辑框"_s, rt::slot::EditContent)
            .toString()
            .split(QRegularExpression(u"\r?\n"_s));
    };
    EXPECT_EQ(shown(u"今天_标签"_s), u"今天：00:35:00"_s);
    EXPECT_EQ(shown(u"本周_标签"_s), u"本周：00:35:00"_s);
    EXPECT_EQ(shown(u"全部_标签"_s), u"全部：01:35:00"_s);
    EXPECT_EQ(runs(),
              (QStringList{
                  today + u" 09:00:00 – 09:10:00  正计时  重置  计时 00:10:00 / 设定 00:25:00"_s,
                  today + u" 08:00:00 – 08:25:00  倒计时  完成  计时 00:25:00 / 设定 00:25:00"_s,
                  old + u" 08:00:00 – 09:00:00  倒计时  完成  计时 01:00:00 / 设定 01:00:00"_s,
                  u"另有 1 行无法读取，未计入。"_s,
              }));

    setTime(0, 0, 2);
    click(u"开始"_s);
    runSeconds(2);
    EXPECT_EQ(shown(u"今天_标签"_s), u"今天：00:35:02"_s);
    EXPECT_TRUE(runs().first().endsWith(u"倒计时  完成  计时 00:00:02 / 设定 00:00:02"_s))
        << runs().first().toStdString();
}

}  // namespace
}  // namespace zorvik::testing
