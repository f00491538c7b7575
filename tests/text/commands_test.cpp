#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <climits>
#include <cmath>

#include "text/commands.h"

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

TEST(Conversions, DateTimeText) {
    EXPECT_EQ(rt::dateTimeToText(rt::toOleDate(at(2024, 3, 5))), u"2024年3月5日"_qs);
    EXPECT_EQ(rt::dateTimeToText(rt::toOleDate(at(2024, 3, 5, 9, 0, 5))),
              u"2024年3月5日9时0分5秒"_qs);
    EXPECT_EQ(rt::dateTimeToText(rt::toOleDate(at(2024, 3, 5, 9, 30))), u"2024年3月5日9时30分"_qs);
    EXPECT_EQ(rt::dateTimeToText(rt::toOleDate(at(2024, 3, 5, 9))), u"2024年3月5日9时"_qs);
    EXPECT_EQ(rt::dateTimeToText(rt::toOleDate(at(2024, 12, 31, 23, 59, 59))),
              u"2024年12月31日23时59分59秒"_qs);
    // Out of range and not-a-number values are held to the representable range.
    EXPECT_EQ(rt::dateTimeToText(-1e9), u"100年1月1日"_qs);
    EXPECT_EQ(rt::dateTimeToText(1e9), u"9999年12月31日"_qs);
    EXPECT_EQ(rt::dateTimeToText(std::nan("")), u"1899年12月30日"_qs);
    // Before the epoch the fraction still counts forwards from midnight.
    EXPECT_EQ(rt::dateTimeToText(-1.25), u"1899年12月29日6时"_qs);
    EXPECT_EQ(rt::dateTimeToText(0.5), u"1899年12月30日12时"_qs);
    // A hair below a whole second is that second, not the one before.
    EXPECT_EQ(rt::dateTimeToText(45356.0 + 9.5 / 24 - 1e-10), u"2024年3月5日9时30分"_qs);
}

TEST(Conversions, OleDates) {
    EXPECT_DOUBLE_EQ(rt::toOleDate(at(1899, 12, 30)), 0.0);
    EXPECT_DOUBLE_EQ(rt::toOleDate(at(2024, 3, 5, 12)), 45356.5);
    EXPECT_DOUBLE_EQ(rt::toOleDate(at(1899, 12, 29, 6)), -1.25);
    EXPECT_DOUBLE_EQ(rt::toOleDate(QDateTime()), 0.0);
    const double now = rt::nowTime();
    const double expected = rt::toOleDate(QDateTime::currentDateTime());
    EXPECT_NEAR(now, expected, 2.0 / 86400);
}

TEST(Conversions, ToInteger) {
    EXPECT_EQ(rt::toText(-42), u"-42"_qs);
    EXPECT_EQ(rt::toInteger(rt::toText(INT_MIN)), INT_MIN);
    EXPECT_EQ(rt::toInteger(QString()), 0);
    EXPECT_EQ(rt::toInteger(u"12abc"_qs), 12);
    EXPECT_EQ(rt::toInteger(u"-3"_qs), -3);
    EXPECT_EQ(rt::toInteger(u"１２"_qs), 12);    // full-width digits
    EXPECT_EQ(rt::toInteger(u"　－５"_qs), -5);  // full-width space and minus
    EXPECT_EQ(rt::toInteger(u" \t+7 8"_qs), 7);
    EXPECT_EQ(rt::toInteger(u"-"_qs), 0);
    EXPECT_EQ(rt::toInteger(u"0x10"_qs), 0);
    EXPECT_EQ(rt::toInteger(u"3.9"_qs), 3);
    EXPECT_EQ(rt::toInteger(u"2147483647"_qs), INT_MAX);
    EXPECT_EQ(rt::toInteger(u"99999999999999999999999"_qs), INT_MAX);
    EXPECT_EQ(rt::toInteger(u"-2147483648"_qs), INT_MIN);
    EXPECT_EQ(rt::toInteger(u"-99999999999"_qs), INT_MIN);
}

TEST(Conversions, ToNumberAndFloat) {
    EXPECT_DOUBLE_EQ(rt::toNumber(u"1.5"_qs), 1.5);
    EXPECT_DOUBLE_EQ(rt::toNumber(u"  -2.5e3xyz"_qs), -2500.0);
    EXPECT_DOUBLE_EQ(rt::toNumber(u"1e"_qs), 1.0);
    EXPECT_DOUBLE_EQ(rt::toNumber(u"1e+"_qs), 1.0);
    EXPECT_DOUBLE_EQ(rt::toNumber(u".5"_qs), 0.5);
    EXPECT_DOUBLE_EQ(rt::toNumber(u"7."_qs), 7.0);
    EXPECT_DOUBLE_EQ(rt::toNumber(u"１.５"_qs), 1.5);
    EXPECT_DOUBLE_EQ(rt::toNumber(u"-0.0000002"_qs), -2e-7);
    // Only decimal numbers are read: no words, no hexadecimal.
    for (const QString& text : {u""_qs, u"."_qs, u"abc"_qs, u"inf"_qs, u"nan"_qs, u"-"_qs})
        EXPECT_EQ(rt::toNumber(text), 0.0) << text.toStdString();
    EXPECT_EQ(rt::toNumber(u"0x1p3"_qs), 0.0);
    EXPECT_EQ(rt::toNumber(u"1e999"_qs), HUGE_VAL);
    EXPECT_EQ(rt::toNumber(u"-1e999"_qs), -HUGE_VAL);
    EXPECT_EQ(rt::toNumber(u"1e-999"_qs), 0.0);
    EXPECT_EQ(rt::toNumber(u"0.000e99999999999999"_qs), 0.0);
    EXPECT_EQ(rt::toFloat(u"0.1"_qs), 0.1f);
    EXPECT_EQ(rt::toFloat(u"1e300"_qs), HUGE_VALF);
    EXPECT_EQ(rt::toFloat(u"-1e300"_qs), -HUGE_VALF);
}

TEST(Files, WriteDeleteAndSystemFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(u"配置.ini"_qs);
    EXPECT_TRUE(rt::writeFile(file, {"ab", QByteArray(), QByteArray("c\0d", 3)}));
    EXPECT_EQ(readAll(file), QByteArray("abc\0d", 5));
    EXPECT_TRUE(rt::writeFile(file, {"x"}));  // truncates what was there
    EXPECT_EQ(readAll(file), QByteArray("x"));
    EXPECT_FALSE(rt::writeFile(QString(), {"x"}));
    EXPECT_FALSE(rt::writeFile(dir.filePath(u"missing/a.txt"_qs), {"x"}));
    EXPECT_FALSE(rt::writeFile(dir.path(), {"x"}));

    EXPECT_FALSE(rt::deleteFile(dir.path()));
    EXPECT_TRUE(rt::deleteFile(file));
    EXPECT_FALSE(rt::deleteFile(file));
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_FALSE(rt::deleteFile(QString()));

    EXPECT_TRUE(QDir(rt::systemFolder()).exists());
}

}  // namespace
