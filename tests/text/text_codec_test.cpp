#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include "text/commands.h"
#include "text/text_codec.h"

namespace {

const QString kShiJian = QString::fromUtf8("时间");
const QByteArray kShiJianGbk("\xCA\xB1\xBC\xE4");

TEST(TextCodec, GbkRoundTripAndCharactersGbkLacks) {
    EXPECT_EQ(rt::toGbk(kShiJian), kShiJianGbk);
    EXPECT_EQ(rt::fromGbk(kShiJianGbk), kShiJian);
    EXPECT_EQ(rt::toGbk(u"配置.ini"_qs), QByteArray("\xC5\xE4\xD6\xC3.ini"));
    // The euro sign and the full-width space exist in code page 936.
    EXPECT_EQ(rt::toGbk(u"€　"_qs), QByteArray("\x80\xA1\xA1"));
    // Characters GBK lacks take GB18030's four-byte form instead of "?".
    const QString lacking = QString::fromUtf8(
        "/音频/\xC3\x9C"
        "bung \xF0\x9F\x98\x80.mp3");
    const QByteArray stored = rt::toGbk(lacking);
    EXPECT_EQ(stored, rt::toGbk(u"/音频/"_qs) +
                          "\x81\x30\x89\x35"
                          "bung \x94\x39\xFC\x36.mp3");
    EXPECT_EQ(rt::fromGbk(stored), lacking);
    // One codec writes every cell of a table: a character GBK lacks must
    // not change how the texts after it are written.
    rt::GbkCodec codec;
    for (const QString& text : {lacking, u"€"_qs, QString(QChar(0xE7C7))})
        EXPECT_EQ(codec.encode(text), rt::toGbk(text)) << text.toStdString();
    EXPECT_EQ(codec.encode(u"€"_qs), QByteArray("\x80"));
    EXPECT_TRUE(rt::toGbk(QString()).isEmpty());
    EXPECT_TRUE(rt::fromGbk(QByteArray()).isEmpty());
}

TEST(TextCodec, EveryGbkByteReadsAndWritesAsCodePage936Does) {
    // Single bytes and every lead/trail pair, user-defined areas (AAA1..,
    // F8A1.., A140..) and the corners 0x80 and 0xFF included: the text read
    // is what GBK gives, and writing it back gives the same bytes.
    QStringDecoder gbkIn("GBK", QStringConverter::Flag::Stateless);
    QStringEncoder gbkOut("GBK", QStringConverter::Flag::Stateless);
    rt::GbkCodec codec;
    for (int lead = 0; lead < 256; ++lead) {
        for (int trail = -1; trail < 256; ++trail) {
            QByteArray bytes(1, char(lead));
            if (trail >= 0) bytes += char(trail);
            gbkIn.resetState();
            QString expected = gbkIn.decode(bytes + '\n');
            expected.chop(1);
            ASSERT_EQ(codec.decode(bytes), expected) << lead << " " << trail;
            gbkOut.resetState();
            const QByteArray back = gbkOut.encode(expected);
            if (!gbkOut.hasError()) {
                ASSERT_EQ(codec.encode(expected), back) << lead << " " << trail;
            }
        }
    }
    EXPECT_EQ(rt::fromGbk("\x80\xFF\xAA\xA1\xA1\x40"),
              QString(QChar(0x20AC)) + QChar(0xF8F5) + QChar(0xE000) + QChar(0xE4C6));
}

TEST(TextCodec, BadGbkBytesBecomeReplacementCharacters) {
    const QChar bad(0xFFFD);
    // A lead byte at the very end used to vanish silently.
    EXPECT_EQ(rt::fromGbk("a\x81"), u"a"_qs + bad);
    EXPECT_EQ(rt::fromGbk("\x81"), QString(bad));
    // A lead byte followed by a byte that cannot end a character.
    EXPECT_EQ(rt::fromGbk("\x81 x"), QString(bad) + u" x"_qs);
    // Zero bytes are kept as characters, not treated as an end.
    EXPECT_EQ(rt::fromGbk(QByteArray("a\0b", 3)).size(), 3);
}

TEST(TextCodec, Utf16ConversionsFollowTheCodePage) {
    // 时 U+65F6, 间 U+95F4, little-endian, with the terminating zero unit.
    const QByteArray utf16("\xF6\x65\xF4\x95\0\0", 6);
    EXPECT_EQ(rt::gbkToUtf16(kShiJianGbk, 936), utf16);
    EXPECT_EQ(rt::gbkToUtf16(kShiJianGbk, 0), utf16);
    EXPECT_EQ(rt::gbkToUtf16(kShiJian.toUtf8()), utf16);  // default is UTF-8
    EXPECT_EQ(rt::gbkToUtf16(QByteArray()), QByteArray(2, '\0'));
    // The input is a zero-terminated text: nothing after the zero counts.
    EXPECT_EQ(rt::gbkToUtf16(QByteArray("ab\0cd", 5), 936), QByteArray("a\0b\0\0\0", 6));
    EXPECT_TRUE(rt::gbkToUtf16("abc", 12345).isEmpty());

    EXPECT_EQ(rt::utf16ToMultiByte(utf16), kShiJianGbk);  // default is the ANSI page
    EXPECT_EQ(rt::utf16ToMultiByte(utf16, 65001), kShiJian.toUtf8());
    // An odd last byte is not half a character; a zero unit ends the text.
    EXPECT_EQ(rt::utf16ToMultiByte(QByteArray("a\0b\0c", 5), 65001), QByteArray("ab"));
    EXPECT_EQ(rt::utf16ToMultiByte(QByteArray("a\0\0\0b\0", 6), 65001), QByteArray("a"));
    // A lone surrogate cannot be UTF-8 and becomes U+FFFD.
    EXPECT_EQ(rt::utf16ToMultiByte(QByteArray("\x00\xD8x\0", 4), 65001),
              QByteArray("\xEF\xBF\xBDx"));
}

TEST(TextCodec, GbkToUtf8) {
    EXPECT_EQ(rt::gbkToUtf8(kShiJianGbk), QByteArray("\xE6\x97\xB6\xE9\x97\xB4"));
    EXPECT_EQ(rt::gbkToUtf8("Take a break now"), QByteArray("Take a break now"));
    EXPECT_TRUE(rt::gbkToUtf8(QByteArray()).isEmpty());
    // A long text must come out whole: the output grows by half again.
    QByteArray longText;
    for (int i = 0; i < 5000; ++i) longText += kShiJianGbk + "x";
    const QByteArray utf8 = rt::gbkToUtf8(longText);
    EXPECT_EQ(utf8.size(), 5000 * 7);
    EXPECT_EQ(QString::fromUtf8(utf8), rt::fromGbk(longText));
    // Broken input still converts, with U+FFFD in place of the bad byte.
    EXPECT_EQ(rt::gbkToUtf8("ok\x81"), QByteArray("ok\xEF\xBF\xBD"));
}

TEST(TextCodec, TextToLogical) {
    EXPECT_EQ(rt::toText(true), u"真"_qs);  // as the files hold logical values
    EXPECT_EQ(rt::toText(false), u"假"_qs);
    EXPECT_FALSE(rt::textToLogical(QString()));
    EXPECT_FALSE(rt::textToLogical(u"假"_qs));
    EXPECT_FALSE(rt::textToLogical(u"  假 "_qs));
    EXPECT_FALSE(rt::textToLogical(u"　假　"_qs));  // full-width spaces
    EXPECT_TRUE(rt::textToLogical(u"真"_qs));
    EXPECT_TRUE(rt::textToLogical(u"1"_qs));
    EXPECT_TRUE(rt::textToLogical(u"0"_qs));
    EXPECT_TRUE(rt::textToLogical(u"假的"_qs));
    EXPECT_TRUE(rt::textToLogical(u"false"_qs));
}

}  // namespace
