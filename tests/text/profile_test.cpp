#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "text/profile.h"
#include "text/text_codec.h"

namespace {

QByteArray gbk(const QString& text) {
    return rt::toGbk(text);
}

class Profile : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    void put(const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    QByteArray bytes() const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString read(const QString& section, const QString& key, const QString& def = "<none>") const {
        return rt::readIniEntry(path, section, key, def);
    }
    bool write(const QString& section, const QString& key, const QString& value) {
        return rt::writeIniEntry(path, section, key, value);
    }

    QTemporaryDir dir;
    QString path = dir.filePath(u"配置.ini"_qs);
};

TEST_F(Profile, ReadsProfileLayout) {
    put(
        gbk(u"[计时]\r\n时=1\r\n  分 =  5  \r\n秒=\"15\"\r\n模式='倒计时'\r\n"
            u"半=\"abc'\r\n空=\r\n  [ Other ]  ; note\r\nKey=v\r\n"_qs));
    EXPECT_EQ(read(u"计时"_qs, u"时"_qs), u"1"_qs);
    EXPECT_EQ(read(u"计时"_qs, u"分"_qs), u"5"_qs);
    EXPECT_EQ(read(u"计时"_qs, u"秒"_qs), u"15"_qs);
    EXPECT_EQ(read(u"计时"_qs, u"模式"_qs), u"倒计时"_qs);
    EXPECT_EQ(read(u"计时"_qs, u"半"_qs), u"\"abc'"_qs);  // quotes that do not pair stay
    EXPECT_EQ(read(u"计时"_qs, u"空"_qs), QString());
    EXPECT_EQ(read(u"oTHER"_qs, u"key"_qs), u"v"_qs);
    EXPECT_EQ(read(u"  \t计时"_qs, u"\x01时"_qs), u"1"_qs);  // leading control chars skipped

    EXPECT_EQ(read(u"计时"_qs, u"没有"_qs), u"<none>"_qs);
    EXPECT_EQ(read(u"没有"_qs, u"时"_qs), u"<none>"_qs);
    EXPECT_EQ(read(u"Other"_qs, u"时"_qs), u"<none>"_qs);  // keys belong to their section
    EXPECT_EQ(rt::readIniEntry(dir.filePath(u"missing.ini"_qs), u"计时"_qs, u"时"_qs, u"d"_qs),
              u"d"_qs);
    // An empty name reads as the empty text: the default is not used.
    EXPECT_EQ(read(QString(), u"时"_qs), QString());
    EXPECT_EQ(read(u"   "_qs, u"时"_qs), QString());
    EXPECT_EQ(read(u"计时"_qs, QString()), QString());
    EXPECT_EQ(rt::readIniEntry(u" "_qs, u"计时"_qs, u"时"_qs, u"d"_qs), QString());
}

TEST_F(Profile, HandEditedFilesReadSensibly) {
    QByteArray file =
        gbk(u"; 计时=comment\n[计时]\n;时=9\n这行没有等号\n时=1\n时=2\n"
            u"[计时]\n分=7\n[Garbage]\n"_qs);
    file += "bad=\x81\xFF\x80z\x81\n";
    file += "zero=ab" + QByteArray(1, '\0') + "cd\n";
    file += gbk(u"[丄]\nk=upper\n[乤]\nk=lower\n"_qs);  // second bytes 'A' and 'a'
    file += u"[计时]\n"_qs.toUtf8() + "utf8=" + u"时间"_qs.toUtf8() + "\n";
    put(file);

    EXPECT_EQ(read(u"计时"_qs, u"时"_qs), u"1"_qs);       // first duplicate key wins
    EXPECT_EQ(read(u"计时"_qs, u"分"_qs), u"<none>"_qs);  // only in a second [计时]
    EXPECT_EQ(read(u"计时"_qs, u"这行没有等号"_qs), u"<none>"_qs);
    EXPECT_EQ(read(u"计时"_qs, u";时"_qs), u"<none>"_qs);
    EXPECT_EQ(read(u"garbage"_qs, u"bad"_qs),
              QString(QChar(0xFFFD)) + QChar(0xF8F5) + u"€z"_qs + QChar(0xFFFD));
    EXPECT_EQ(read(u"Garbage"_qs, u"zero"_qs), u"ab"_qs);
    EXPECT_EQ(read(u"丄"_qs, u"k"_qs), u"upper"_qs);
    EXPECT_EQ(read(u"乤"_qs, u"k"_qs), u"lower"_qs);
    // A UTF-8 section name is not the GBK one; its value is read as GBK bytes.
    EXPECT_EQ(read(u"乤"_qs, u"utf8"_qs), u"<none>"_qs);
    EXPECT_EQ(read(u"计时"_qs, u"utf8"_qs), u"<none>"_qs);
    EXPECT_EQ(read(rt::fromGbk(u"计时"_qs.toUtf8()), u"utf8"_qs), rt::fromGbk(u"时间"_qs.toUtf8()));
}

// A file without a byte-order mark keeps its form: UTF-8 as editors on
// Linux save it, or GBK; nothing is added in the other one.
TEST_F(Profile, UnmarkedFileIsWrittenInTheFormItIsIn) {
    for (const auto& encode : {+[](const QString& t) { return t.toUtf8(); }, +gbk}) {
        put(encode(u"[计时]\n时=1\n分=30\n"_qs));
        EXPECT_EQ(read(u"计时"_qs, u"时"_qs), u"1"_qs);
        EXPECT_EQ(read(u"计时"_qs, u"分"_qs), u"30"_qs);
        ASSERT_TRUE(write(u"计时"_qs, u"分"_qs, u"45"_qs));
        ASSERT_TRUE(write(u"热键配置"_qs, u"开始"_qs, u"真"_qs));
        EXPECT_EQ(bytes(), encode(u"[计时]\n时=1\n分=45\n[热键配置]\r\n开始=真\r\n"_qs));
    }
}

TEST_F(Profile, LongValuesAreCutAtCharacterBoundaries) {
    put("[a]\r\nascii=" + QByteArray(20 * 1024, 'x') +
        "\r\nwide=" + gbk(QString(10 * 1024, QChar(0x65F6))) + "\r\n");
    EXPECT_EQ(read(u"a"_qs, u"ascii"_qs), QString(10239, u'x'));
    EXPECT_EQ(read(u"a"_qs, u"wide"_qs), QString(5119, QChar(0x65F6)));
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");  // four bytes either way
    put("[a]\r\nfour=" + gbk(emoji.repeated(3000)) + "\r\n");
    EXPECT_EQ(read(u"a"_qs, u"four"_qs), emoji.repeated(2559));
    put("\xEF\xBB\xBF[a]\r\nutf8=" + QString(4000, QChar(0x65F6)).toUtf8() + "\r\n");
    EXPECT_EQ(read(u"a"_qs, u"utf8"_qs), QString(3413, QChar(0x65F6)));
}

TEST_F(Profile, RandomBytesNeverBreakReadsOrWrites) {
    QRandomGenerator random(20240305);
    for (int round = 0; round < 50; ++round) {
        QByteArray noise(int(random.bounded(4096)), '\0');
        for (char& c : noise) c = char(random.bounded(256));
        if (round % 2) noise.replace(char(random.bounded(256)), '\n');
        put(noise);
        read(u"计时"_qs, u"时"_qs);
        ASSERT_TRUE(write(u"计时"_qs, u"时"_qs, u"3"_qs));
        EXPECT_EQ(read(u"计时"_qs, u"时"_qs), u"3"_qs);
        EXPECT_TRUE(bytes().startsWith(noise)) << round;  // the noise itself is kept
    }
}

TEST_F(Profile, WritesCreateFileSectionsAndKeys) {
    EXPECT_TRUE(write(u"计时"_qs, u"时"_qs, u"0"_qs));
    EXPECT_TRUE(write(u"计时"_qs, u"分"_qs, u"5"_qs));
    EXPECT_TRUE(write(u"自定义提醒"_qs, u"启用自定义提醒"_qs, u"假"_qs));
    EXPECT_TRUE(write(u"热键配置"_qs, u"开始"_qs, QString()));
    EXPECT_TRUE(write(u"计时"_qs, u"秒"_qs, u"15"_qs));
    EXPECT_EQ(bytes(),
              gbk(u"[计时]\r\n时=0\r\n分=5\r\n秒=15\r\n[自定义提醒]\r\n启用自定义提醒=假\r\n"
                  u"[热键配置]\r\n开始=\r\n"_qs));
    EXPECT_EQ(read(u"热键配置"_qs, u"开始"_qs), QString());
    EXPECT_EQ(read(u"计时"_qs, u"秒"_qs), u"15"_qs);

    // A value is one line: what follows a line break cannot become a section.
    EXPECT_TRUE(write(u"计时"_qs, u"分"_qs, u"6\r\n[evil]\r\nx=1"_qs));
    EXPECT_EQ(read(u"计时"_qs, u"分"_qs), u"6"_qs);
    EXPECT_EQ(read(u"evil"_qs, u"x"_qs), u"<none>"_qs);
    // Names that could not be found again are refused and change nothing.
    const QByteArray before = bytes();
    EXPECT_FALSE(write(u"计时"_qs, u"a=b"_qs, u"1"_qs));
    EXPECT_FALSE(write(u"计时"_qs, u"  "_qs, u"1"_qs));
    EXPECT_FALSE(write(QString(), u"k"_qs, u"1"_qs));
    EXPECT_FALSE(write(u"a\nb"_qs, u"k"_qs, u"1"_qs));
    EXPECT_EQ(bytes(), before);

    EXPECT_FALSE(rt::writeIniEntry(dir.filePath(u"no/such/dir.ini"_qs), u"a"_qs, u"b"_qs, u"c"_qs));
    EXPECT_FALSE(rt::writeIniEntry(dir.path(), u"a"_qs, u"b"_qs, u"c"_qs));
}

TEST_F(Profile, WriteChangesOnlyItsOwnLine) {
    const QByteArray head = gbk(u"; settings\n[计时]\n  时 = 1 \n\n; keep\r\n"_qs);
    const QByteArray tail = gbk(u"\r\n\r\n[Other]\tx\nA=\x81\xFF junk\n[last]\nk=v"_qs);
    put(head + gbk(u"分=5"_qs) + tail);
    ASSERT_TRUE(write(u"计时"_qs, u"分"_qs, u"12"_qs));
    EXPECT_EQ(bytes(), head + gbk(u"分=12"_qs) + tail);

    // A new key goes after the last key line of its section, before the
    // blank lines and comments that follow it.
    ASSERT_TRUE(write(u"计时"_qs, u"秒"_qs, u"15"_qs));
    EXPECT_EQ(bytes(), head + gbk(u"分=12\r\n秒=15"_qs) + tail);

    ASSERT_TRUE(write(u"other"_qs, u"a"_qs, u"new"_qs));  // keeps the key's own spelling
    EXPECT_TRUE(bytes().contains("\nA=new\n[last]"));
    ASSERT_TRUE(write(u"LAST"_qs, u"k"_qs, u"w"_qs));  // last line, no final line break
    EXPECT_TRUE(bytes().endsWith("\n[last]\nk=w"));
    ASSERT_TRUE(write(u"last"_qs, u"n"_qs, u"1"_qs));
    EXPECT_TRUE(bytes().endsWith("\n[last]\nk=w\r\nn=1\r\n"));
    EXPECT_EQ(read(u"计时"_qs, u"时"_qs), u"1"_qs);
    EXPECT_EQ(read(u"计时"_qs, u"秒"_qs), u"15"_qs);
}

TEST_F(Profile, ReadsDuringWritesSeeWholeValues) {
    const QString a(1000, u'a'), b(1000, u'b');
    ASSERT_TRUE(write(u"s"_qs, u"k"_qs, a));
    std::atomic<bool> stop = false;
    std::atomic<int> torn = 0;
    std::thread reader([&] {
        while (!stop) {
            const QString value = rt::readIniEntry(path, u"s"_qs, u"k"_qs, u"<none>"_qs);
            if (value != a && value != b) ++torn;
        }
    });
    for (int i = 0; i < 60; ++i) ASSERT_TRUE(write(u"s"_qs, u"k"_qs, i % 2 ? a : b));
    stop = true;
    reader.join();
    EXPECT_EQ(torn, 0);
}

}  // namespace
