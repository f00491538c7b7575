#include <gtest/gtest.h>

#include <QtEndian>

#include "grid/grid_format.h"
#include "text/text_codec.h"

using namespace Qt::StringLiterals;

namespace {

// Writes grid files field by field from the layout, independently of the
// encoder, so the decoder is checked against the layout itself.
class Bytes {
  public:
    Bytes& i32(int32_t v) {
        char b[4];
        qToLittleEndian(v, b);
        data.append(b, 4);
        return *this;
    }
    Bytes& raw(const QByteArray& b) {
        data.append(b);
        return *this;
    }
    Bytes& padded(const QByteArray& b, int size) {
        data.append(b.left(size));
        data.append(size - qMin<int>(size, b.size()), '\0');
        return *this;
    }
    QByteArray data;
};

int32_t at(const QByteArray& b, qsizetype offset) {
    return qFromLittleEndian<int32_t>(b.constData() + offset);
}

// A two-row table in the given version with one record of every kind the
// version holds; texts are Chinese so the GBK path is taken.
QByteArray legacyFile(int version) {
    const int blockSize = version == 1   ? 124
                          : version == 2 ? 128
                          : version == 3 ? 132
                          : version == 4 ? 136
                                         : 464;
    const int lists = version == 1 ? 6 : 7;
    Bytes block;
    for (int32_t v : {2, 3, 1, 0, 24, 200, 0xC0C0C0, 0xFFFFFF, 0}) block.i32(v);
    for (int i = 0; i < 12; ++i) block.i32(100 + i);
    block.i32(1).i32(1).i32(2).i32(1);  // T M K F
    for (int i = 0; i < lists; ++i) block.i32(1);
    if (version >= 3) block.i32(1);
    if (version >= 4) block.i32(1);
    if (version >= 5) {
        block.padded(rt::toGbk(u"显示"_s), 256).padded("name", 32).i32(7).i32(8).i32(9);
        block.padded("tail", 28);
    }
    EXPECT_EQ(block.data.size(), blockSize);

    Bytes f;
    f.raw("EGRD").i32(version).i32(0).raw(block.data);
    f.i32(40).i32(30);            // row heights
    f.i32(86).i32(216).i32(168);  // column widths
    f.i32(5).i32(6).padded("ab", 8).padded("cdef", 12).i32(7).i32(8).i32(2);
    f.padded(rt::toGbk(u"选项一"_s), 100).padded("two", 100);
    f.i32(1).i32(0).i32(1).i32(0).i32(1).i32(1);  // merge
    const QString texts[] = {u"间隔时间(分)"_s, u"喝水"_s};
    for (int c = 0; c < 2; ++c) {
        f.i32(c).i32(c);
        const QByteArray text = rt::toGbk(texts[c]);
        if (version >= 6)
            f.i32(int32_t(text.size() + 1)).raw(text).raw(QByteArray(1, '\0'));
        else
            f.padded(text, 256);
        f.i32(c).i32(c == 1 ? 3 : 0);  // check state, data size
        if (c == 1) f.raw("PNG");
    }
    QByteArray font = rt::defaultLogFont();
    rt::setLogFontHeight(font, 20);
    f.i32(0).i32(0).raw(font);
    for (int i = 0; i < lists; ++i) f.i32(1).i32(2).i32(0x1000 + i);
    if (version >= 3) f.i32(1).i32(2).i32(3).i32(4);
    if (version >= 4) f.i32(5).i32(6).i32(7).i32(8);
    return f.data;
}

rt::GridFile richFile() {
    rt::GridFile f;
    f.settings.rows = 3;
    f.settings.columns = 3;
    f.settings.fixedRows = 1;
    f.settings.display[4] = -5;
    f.settings.displayText = rt::toGbk(u"网格"_s).leftJustified(256, '\0');
    f.settings.trailingInts = {1, 2, 3};
    f.rowHeights = {40, 40, 24};
    f.columnWidths = {86, 216, 168};
    rt::GridCellType type;
    type.items = {QByteArray("one").leftJustified(100, '\0')};
    f.cellTypes = {type};
    f.merges = {{1, 1, 1, 1, 2, 2}};
    f.cells = {{0, 0, u"间隔时间(分)"_s, 0, {}},
               {1, 1, u"提醒内容"_s, 0, {}},
               {2, 0, u"x"_s, 1, QByteArray("\0\1\2", 3)}};
    QByteArray font = rt::defaultLogFont();
    rt::setLogFontHeight(font, 20);
    f.fonts = {{0, 0, font}, {0, 1, font}};
    for (int i = 0; i < rt::kAttributeLists; ++i) f.attributes[i] = {{0, i % 3, 0x825 + i}};
    f.firstQuads = {{{1, 2, 3, 4}}};
    f.secondQuads = {{{5, 6, 7, 8}}, {{9, 10, 11, 12}}};
    return f;
}

TEST(GridFormat, WritesTheCurrentLayoutByteForByte) {
    rt::GridFile f;
    f.settings.rows = 1;
    f.settings.columns = 3;
    f.settings.fixedRows = 1;
    f.rowHeights = {40};
    f.columnWidths = {86, 216, 168};
    f.cells = {{0, 0, u"间隔时间(分)"_s, 0, {}}, {0, 2, u"CMD"_s, 0, {}}};
    f.attributes[rt::AttrFormat] = {{0, 0, 0x825}};
    const QByteArray b = rt::encodeGridFile(f);

    EXPECT_EQ(b.left(4), QByteArray("EGRD"));
    EXPECT_EQ(at(b, 4), 6);
    EXPECT_EQ(at(b, 8), 0);  // the two reserved words
    EXPECT_EQ(at(b, 12 + 0), 1);
    EXPECT_EQ(at(b, 12 + 4), 3);
    EXPECT_EQ(at(b, 12 + 16), 24);
    EXPECT_EQ(at(b, 12 + 20), 200);
    EXPECT_EQ(at(b, 12 + 92), 2);       // K
    EXPECT_EQ(at(b, 12 + 100 + 8), 1);  // third attribute list
    EXPECT_EQ(at(b, 476), 40);          // row heights follow the 464-byte block
    EXPECT_EQ(at(b, 480), 86);
    EXPECT_EQ(at(b, 488), 168);
    // First cell record: row, column, length with the zero, GBK text.
    const QByteArray text = rt::toGbk(u"间隔时间(分)"_s);
    EXPECT_EQ(at(b, 492), 0);
    EXPECT_EQ(at(b, 500), text.size() + 1);
    EXPECT_EQ(b.mid(504, text.size()), text);
    EXPECT_EQ(b.at(504 + text.size()), '\0');
    const qsizetype second = 504 + text.size() + 1 + 8;
    EXPECT_EQ(at(b, second), 0);
    EXPECT_EQ(at(b, second + 4), 2);
    EXPECT_EQ(at(b, second + 8), 4);
    const qsizetype attribute = second + 12 + 4 + 8;
    EXPECT_EQ(at(b, attribute + 8), 0x825);
    EXPECT_EQ(b.size(), attribute + 12);
}

TEST(GridFormat, ReadsEveryVersionWithItsDifferences) {
    for (int version = 1; version <= 6; ++version) {
        SCOPED_TRACE(version);
        const auto f = rt::decodeGridFile(legacyFile(version));
        ASSERT_TRUE(f.has_value());
        EXPECT_EQ(f->version, version);
        EXPECT_EQ(f->settings.rows, 2);
        EXPECT_EQ(f->settings.display[11], 111);
        EXPECT_EQ(f->rowHeights, QList<int32_t>({40, 30}));
        EXPECT_EQ(f->columnWidths, QList<int32_t>({86, 216, 168}));
        ASSERT_EQ(f->cellTypes.size(), 1);
        EXPECT_EQ(rt::fromGbk(f->cellTypes[0].items[0]).section(QChar(0), 0, 0), u"选项一"_s);
        EXPECT_EQ(f->merges[0].lastColumn, 1);
        ASSERT_EQ(f->cells.size(), 2);
        EXPECT_EQ(f->cells[0].text, u"间隔时间(分)"_s);
        EXPECT_EQ(f->cells[1].text, u"喝水"_s);
        EXPECT_EQ(f->cells[1].check, 1);
        EXPECT_EQ(f->cells[1].data, QByteArray("PNG"));
        EXPECT_EQ(rt::logFontHeight(f->fonts[0].logFont), 20);
        EXPECT_EQ(rt::logFontFace(f->fonts[0].logFont), u"宋体"_s);
        EXPECT_EQ(f->attributes[5][0].value, 0x1005);
        EXPECT_EQ(f->attributes[6].size(), version == 1 ? 0 : 1);
        EXPECT_EQ(f->firstQuads.size(), version >= 3 ? 1 : 0);
        EXPECT_EQ(f->secondQuads.size(), version >= 4 ? 1 : 0);
        if (version >= 5) {
            EXPECT_EQ(f->settings.trailingInts[2], 9);
            EXPECT_TRUE(f->settings.displayText.startsWith(rt::toGbk(u"显示"_s)));
        }
    }
}

TEST(GridFormat, RoundTripKeepsEveryByte) {
    const rt::GridFile f = richFile();
    const QByteArray bytes = rt::encodeGridFile(f);
    const auto back = rt::decodeGridFile(bytes);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, f);
    EXPECT_EQ(rt::encodeGridFile(*back), bytes);

    // Even an empty grid is written so that it can be read back.
    rt::GridFile tiny;
    const QByteArray tinyBytes = rt::encodeGridFile(tiny);
    EXPECT_EQ(tinyBytes.size(), rt::kGridMinFileSize);
    const auto tinyBack = rt::decodeGridFile(tinyBytes);
    ASSERT_TRUE(tinyBack.has_value());
    EXPECT_EQ(*tinyBack, tiny);
    EXPECT_EQ(rt::encodeGridFile(*tinyBack), tinyBytes);

    // An older file comes back in the current version with the same content.
    const auto old = rt::decodeGridFile(legacyFile(3));
    ASSERT_TRUE(old.has_value());
    const auto upgraded = rt::decodeGridFile(rt::encodeGridFile(*old));
    ASSERT_TRUE(upgraded.has_value());
    EXPECT_EQ(upgraded->version, 6);
    EXPECT_EQ(upgraded->cells, old->cells);
    EXPECT_EQ(upgraded->firstQuads, old->firstQuads);
}

TEST(GridFormat, RejectsAnythingThatIsNotACompleteFile) {
    const QByteArray good = rt::encodeGridFile(richFile());
    ASSERT_TRUE(rt::decodeGridFile(good).has_value());

    // Every shorter prefix misses part of a record.
    for (qsizetype n = 0; n < good.size(); ++n)
        ASSERT_FALSE(rt::decodeGridFile(good.left(n)).has_value()) << n;
    // Trailing bytes after the last list are tolerated.
    EXPECT_TRUE(rt::decodeGridFile(good + "xyz").has_value());

    QByteArray magic = good;
    magic[0] = 'X';
    EXPECT_FALSE(rt::decodeGridFile(magic).has_value());
    for (int version : {0, 7, -1}) {
        QByteArray v = good;
        qToLittleEndian<int32_t>(version, v.data() + 4);
        EXPECT_FALSE(rt::decodeGridFile(v).has_value()) << version;
    }
    // A negative count anywhere in the settings block.
    for (int offset : {0, 4, 8, 12, 84, 88, 92, 96, 100, 124, 128, 132}) {
        QByteArray v = good;
        qToLittleEndian<int32_t>(-1, v.data() + 12 + offset);
        EXPECT_FALSE(rt::decodeGridFile(v).has_value()) << offset;
    }
    // Huge counts must be refused without trying to reserve for them.
    QByteArray huge = good;
    qToLittleEndian<int32_t>(0x7FFFFFFF, huge.data() + 12 + 92);
    EXPECT_FALSE(rt::decodeGridFile(huge).has_value());

    // Inside records: the item count of a cell type, a cell's text length
    // and its data size.
    const qsizetype typeAt = 12 + 464 + 4 * 6;
    QByteArray items = good;
    qToLittleEndian<int32_t>(-3, items.data() + typeAt + 36);
    EXPECT_FALSE(rt::decodeGridFile(items).has_value());
    const qsizetype cellAt = typeAt + 40 + 100 + 24;
    for (int field : {8, 12 + 1 + int(rt::toGbk(u"间隔时间(分)"_s).size()) + 4}) {
        QByteArray v = good;
        qToLittleEndian<int32_t>(-1, v.data() + cellAt + field);
        EXPECT_FALSE(rt::decodeGridFile(v).has_value()) << field;
    }
}

TEST(GridFormat, TextsConvertLikeTheRestOfTheProgram) {
    // Characters without a GBK form (kept), a text cut at an embedded zero,
    // and a stored text that ends in half a character.
    const QString emoji = QString::fromUtf8("a\xF0\x9F\x98\x80提醒");
    rt::GridFile f;
    f.settings.rows = 1;
    f.settings.columns = 3;
    f.rowHeights = {24};
    f.columnWidths = {1, 2, 3};
    f.cells = {{0, 0, emoji, 0, {}}, {0, 1, u"前"_s + QChar(0) + u"后"_s, 0, {}}};
    f.settings.displayText = QByteArray(256, 'x');  // keeps the file above the minimum size
    const QByteArray bytes = rt::encodeGridFile(f);
    EXPECT_TRUE(bytes.contains(rt::toGbk(emoji) + '\0'));
    const auto back = rt::decodeGridFile(bytes);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->cells[0].text, emoji);
    EXPECT_EQ(back->cells[1].text, u"前"_s);

    QByteArray halved = bytes;
    const QByteArray whole = rt::toGbk(u"提醒"_s) + '\0';
    const qsizetype at = halved.indexOf(whole);
    ASSERT_GT(at, 0);
    halved[at + 3] = '\0';  // the second character loses its trail byte
    const auto cut = rt::decodeGridFile(halved);
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->cells[0].text, rt::fromGbk(rt::toGbk(emoji.chopped(1)) + whole.at(2)));
}

}  // namespace
