// The record of the time spent, as the whole program writes it: one line
// for a run that ends, one for a run that is reset and one for a run the
// program closes on, by the file's bytes.

#include <QRegularExpression>

#include "common/program_fixture.h"

namespace zorvik::testing {
namespace {

using TimeRecord = ProgramTest;

TEST_F(TimeRecord, EveryRunThatStopsAddsOneLine) {
    const QDateTime before = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch());
    setTime(0, 0, 3);
    click(u"开始"_s);
    runSeconds(3);
    click(u"重置"_s);  // the run has ended and is recorded already
    countUpMode();
    click(u"开始"_s);
    runSeconds(2);
    click(u"重置"_s);
    click(u"开始"_s);
    runSeconds(1);
    click(u"开始"_s);
    runSeconds(1);  // paused once the second under way is counted
    click(u"按钮_退出"_s);
    ASSERT_TRUE(zt::answerMessageBox(QMessageBox::Yes));
    waitUnloaded(kMain);

    const QByteArray bytes = fileBytes(u"计时记录.csv"_s);
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF")) << "a byte-order mark for the spreadsheet";
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(u"\r\n"_s);
    ASSERT_EQ(lines.size(), 5) << bytes.constData();
    EXPECT_EQ(lines[0], u"开始,结束,设定秒数,计时秒数,方式,结果"_s);
    EXPECT_EQ(lines[4], QString());
    const QStringList expected = {u"3,3,倒计时,完成"_s, u"3,2,正计时,重置"_s, u"3,2,正计时,退出"_s};
    const QDateTime after = QDateTime::currentDateTime();
    for (int i = 0; i < 3; ++i) {
        const QStringList f = lines[i + 1].split(u',');
        ASSERT_EQ(f.size(), 6) << lines[i + 1].toStdString();
        EXPECT_EQ(f.mid(2).join(u','), expected[i]);
        const QDateTime start = QDateTime::fromString(f[0], u"yyyy-MM-dd HH:mm:ss"_s);
        const QDateTime end = QDateTime::fromString(f[1], u"yyyy-MM-dd HH:mm:ss"_s);
        EXPECT_TRUE(before <= start && start <= end && end <= after) << lines[i + 1].toStdString();
    }
}

}  // namespace
}  // namespace zorvik::testing
