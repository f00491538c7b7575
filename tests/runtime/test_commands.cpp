#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <climits>
#include <cmath>
#include <future>
#include <thread>

#include "runtime/commands.h"
#include "runtime/text_codec.h"

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

TEST(Conversions, ToText) {
    EXPECT_EQ(rt::toText(true), u"真"_qs);
    EXPECT_EQ(rt::toText(false), u"假"_qs);
    EXPECT_EQ(rt::toText(-42), u"-42"_qs);
    EXPECT_EQ(rt::toText(qint64(1) << 40), u"1099511627776"_qs);
    EXPECT_EQ(rt::toText(0.1f), u"0.1"_qs);
    EXPECT_EQ(rt::toText(1.0f / 3), u"0.333333"_qs);
    EXPECT_EQ(rt::toText(1.0 / 3), u"0.3333333333333"_qs);
    EXPECT_EQ(rt::toText(1.5), u"1.5"_qs);
    EXPECT_EQ(rt::toText(1e20), u"1e+20"_qs);
    EXPECT_EQ(rt::toText(QByteArray("\xCA\xB1"
                                    "a\0tail",
                                    8)),
              u"时a"_qs);
}

TEST(Conversions, DateTimeText) {
    EXPECT_EQ(rt::toText(at(2024, 3, 5)), u"2024年3月5日"_qs);
    EXPECT_EQ(rt::toText(at(2024, 3, 5, 9, 0, 5)), u"2024年3月5日9时0分5秒"_qs);
    EXPECT_EQ(rt::toText(at(2024, 3, 5, 9, 30)), u"2024年3月5日9时30分"_qs);
    EXPECT_EQ(rt::toText(at(2024, 3, 5, 9)), u"2024年3月5日9时"_qs);
    EXPECT_EQ(rt::toText(at(2024, 12, 31, 23, 59, 59)), u"2024年12月31日23时59分59秒"_qs);
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
    for (const QDateTime& dt : {at(2024, 3, 5, 9, 0, 5), at(1899, 12, 29, 18, 30),
                                at(1600, 2, 29, 1), at(9999, 12, 31), at(100, 1, 1)})
        EXPECT_EQ(rt::fromOleDate(rt::toOleDate(dt)), dt) << dt.toString().toStdString();
    const double now = rt::nowTime();
    const double expected = rt::toOleDate(QDateTime::currentDateTime());
    EXPECT_NEAR(now, expected, 2.0 / 86400);
}

TEST(Conversions, ToInteger) {
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
    EXPECT_EQ(rt::toInteger(-2.9), -2);
    EXPECT_EQ(rt::toInteger(2.9f), 2);
    EXPECT_EQ(rt::toInteger(1e20), INT_MAX);
    EXPECT_EQ(rt::toInteger(-HUGE_VAL), INT_MIN);
    EXPECT_EQ(rt::toInteger(std::nan("")), 0);
    EXPECT_EQ(rt::toInteger(true), 1);
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

TEST(Conversions, BytesAndHex) {
    EXPECT_EQ(rt::toBytes(1), QByteArray("\x01\0\0\0", 4));
    EXPECT_EQ(rt::toBytes(-2), QByteArray("\xFE\xFF\xFF\xFF"));
    EXPECT_EQ(rt::toBytes(1.0), QByteArray("\0\0\0\0\0\0\xF0\x3F", 8));
    EXPECT_EQ(rt::toBytes(u"时a"_qs), QByteArray("\xCA\xB1"
                                                 "a"));
    EXPECT_EQ(rt::toHexText(10), u"A"_qs);
    EXPECT_EQ(rt::toHexText(0), u"0"_qs);
    EXPECT_EQ(rt::toHexText(0x1B2c), u"1B2C"_qs);
    EXPECT_EQ(rt::toHexText(-1), u"FFFFFFFF"_qs);
}

TEST(Texts, LengthSplitAndSpaces) {
    EXPECT_EQ(rt::textLength(u"时间ab"_qs), 6);
    EXPECT_EQ(rt::textLength(QString()), 0);

    EXPECT_EQ(rt::splitText(u"C:\\a\\b.mp3"_qs, u"\\"_qs), QStringList({"C:", "a", "b.mp3"}));
    EXPECT_EQ(rt::splitText(u"a\\b\\"_qs, u"\\"_qs), QStringList({"a", "b"}));
    EXPECT_EQ(rt::splitText(u",a,,b"_qs), QStringList({"", "a", "", "b"}));
    EXPECT_EQ(rt::splitText(u"a,b,c,d"_qs, u","_qs, 2), QStringList({"a", "b"}));
    EXPECT_TRUE(rt::splitText(u"a,b"_qs, u","_qs, 0).isEmpty());
    EXPECT_TRUE(rt::splitText(QString()).isEmpty());
    EXPECT_EQ(rt::splitText(u"a::b"_qs, u"::"_qs), QStringList({"a", "b"}));
    EXPECT_EQ(rt::splitText(u"abc"_qs, QString()), QStringList({"abc"}));
    // 乗 is 81 5C in GBK: its second byte is a backslash, yet it is one character.
    EXPECT_EQ(rt::splitText(u"x\\乗\\y"_qs, u"\\"_qs), QStringList({"x", "乗", "y"}));

    EXPECT_EQ(rt::trimSpaces(u" 　 a b　 "_qs), u"a b"_qs);
    EXPECT_EQ(rt::trimSpaces(u"\ta\t"_qs), u"\ta\t"_qs);
    EXPECT_EQ(rt::trimSpaces(u"   "_qs), QString());
    EXPECT_EQ(rt::removeAllSpaces(u" 1 2　3 "_qs), u"123"_qs);
    EXPECT_EQ(rt::spaces(3), u"   "_qs);
    EXPECT_EQ(rt::spaces(0), QString());
    EXPECT_EQ(rt::spaces(-5), QString());
}

TEST(ByteSets, LengthZeroLeftAndReplace) {
    EXPECT_EQ(rt::bytesLength(QByteArray("a\0b", 3)), 3);
    EXPECT_EQ(rt::zeroBytes(3), QByteArray(3, '\0'));
    EXPECT_TRUE(rt::zeroBytes(-1).isEmpty());
    EXPECT_EQ(rt::leftBytes("abcdef", 2), QByteArray("ab"));
    EXPECT_EQ(rt::leftBytes("ab", 10), QByteArray("ab"));
    EXPECT_TRUE(rt::leftBytes("ab", -1).isEmpty());

    const QByteArray data("a-b-c-d");
    EXPECT_EQ(rt::replaceBytes(data, "-", "+"), QByteArray("a+b+c+d"));
    EXPECT_EQ(rt::replaceBytes(data, "-"), QByteArray("abcd"));
    EXPECT_EQ(rt::replaceBytes(data, "-", "==", 3), QByteArray("a-b==c==d"));
    EXPECT_EQ(rt::replaceBytes(data, "-", "+", 1, 2), QByteArray("a+b+c-d"));
    EXPECT_EQ(rt::replaceBytes(data, "-", "+", 0, 0), data);
    EXPECT_EQ(rt::replaceBytes(data, "-", "+", 100), data);
    EXPECT_EQ(rt::replaceBytes(data, "", "+"), data);
    EXPECT_EQ(rt::replaceBytes("aaa", "aa", "b"), QByteArray("ba"));
}

TEST(Arithmetic, DivisionRemainderBitsAndColour) {
    EXPECT_EQ(rt::intDivide(7199, 3600), 1.0);
    EXPECT_EQ(rt::remainder(7199, 3600), 3599.0);
    EXPECT_EQ(rt::remainder(-61, 60), -1.0);
    EXPECT_EQ(rt::intDivide(-7, 2), -3.0);
    EXPECT_EQ(rt::intDivide(100, 2, 3), 16.0);
    EXPECT_EQ(rt::remainder(100, 30, 7), 3.0);
    EXPECT_DOUBLE_EQ(rt::remainder(5.5, 2), 1.5);
    EXPECT_EQ(rt::bitOr(1, 2, 8), 11);
    EXPECT_EQ(rt::rgbColor(255, 0, 0), 255);
    EXPECT_EQ(rt::rgbColor(0, 0, 255), 0xFF0000);
    EXPECT_EQ(rt::rgbColor(1, 2, 3), 0x030201);
    EXPECT_EQ(rt::rgbColor(300, -4, 0), 255);
}

TEST(ArithmeticDeathTest, DivisionByZeroEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(rt::intDivide(1, 0), testing::ExitedWithCode(1), "不能整除于零");
    EXPECT_EXIT(rt::remainder(1, 0), testing::ExitedWithCode(1), "不能求余数于零");
}

TEST(Files, ExistsWriteDeleteAndFolders) {
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

    EXPECT_TRUE(rt::fileExists(file));
    EXPECT_TRUE(rt::fileExists(dir.path()));
    EXPECT_TRUE(rt::fileExists(dir.filePath(u"*.ini"_qs)));
    EXPECT_TRUE(rt::fileExists(dir.filePath(u"配?.ini"_qs)));
    EXPECT_TRUE(rt::fileExists(dir.filePath(u"*"_qs)));
    EXPECT_FALSE(rt::fileExists(dir.filePath(u"*.mp3"_qs)));
    EXPECT_FALSE(rt::fileExists(dir.filePath(u"?.ini"_qs)));
    EXPECT_FALSE(rt::fileExists(dir.filePath(u"[配]置.ini"_qs)));  // brackets are plain characters
    EXPECT_FALSE(rt::fileExists(QString()));
    EXPECT_FALSE(rt::fileExists(dir.filePath(u"nothing"_qs)));

    EXPECT_FALSE(rt::deleteFile(dir.path()));
    EXPECT_TRUE(rt::deleteFile(file));
    EXPECT_FALSE(rt::deleteFile(file));
    EXPECT_FALSE(rt::fileExists(dir.filePath(u"*"_qs)));
    EXPECT_FALSE(rt::deleteFile(QString()));

    const QString before = QDir::currentPath();
    EXPECT_TRUE(rt::changeDirectory(dir.path()));
    EXPECT_EQ(QDir(rt::currentDirectory()).canonicalPath(), QDir(dir.path()).canonicalPath());
    EXPECT_FALSE(rt::changeDirectory(dir.filePath(u"missing"_qs)));
    EXPECT_FALSE(rt::changeDirectory(QString()));
    EXPECT_TRUE(rt::changeDirectory(before));

    EXPECT_TRUE(QDir(rt::systemFolder()).exists());
}

TEST(Threads, StartThreadRunsDetachedElsewhere) {
    std::promise<std::thread::id> ran;
    auto done = ran.get_future();
    EXPECT_TRUE(rt::startThread([&ran] { ran.set_value(std::this_thread::get_id()); }));
    ASSERT_EQ(done.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_NE(done.get(), std::this_thread::get_id());
    EXPECT_FALSE(rt::startThread(nullptr));
}

}  // namespace
