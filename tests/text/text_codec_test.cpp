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
    // A long text comes out whole.
    EXPECT_EQ(rt::fromGbk(QByteArray(kShiJianGbk + "x").repeated(5000)),
              (kShiJian + u'x').repeated(5000));
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
