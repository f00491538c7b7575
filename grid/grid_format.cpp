#include "grid/grid_format.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

#include "text/text_codec.h"

namespace rt {
namespace {

constexpr char kMagic[4] = {'E', 'G', 'R', 'D'};
constexpr qsizetype kHeaderSize = 12;
constexpr qsizetype kSettingsSize = 464;
constexpr qsizetype kCellTypeSize = 40;
constexpr qsizetype kCellTypeItemSize = 100;
constexpr qsizetype kOldCellTextSize = 256;

qsizetype settingsSizeFor(int version) {
    switch (version) {
        case 1:
            return 124;
        case 2:
            return 128;
        case 3:
            return 132;
        case 4:
            return 136;
        default:
            return kSettingsSize;
    }
}

// Texts up to their first zero, converted as rt::toGbk and rt::fromGbk
// convert them, but with one converter set per file: opening converters for
// every cell would take most of the time for a large table.
class Gbk {
  public:
    QByteArray encode(const QString& text) {
        const qsizetype zero = text.indexOf(QChar(0));
        return codec_.encode(zero < 0 ? QStringView(text) : QStringView(text).first(zero));
    }
    QString decode(QByteArrayView bytes) {
        const qsizetype zero = bytes.indexOf('\0');
        return codec_.decode(zero < 0 ? bytes : bytes.first(zero));
    }

  private:
    GbkCodec codec_;
};

class Writer {
  public:
    explicit Writer(qsizetype reserve) { out_.reserve(reserve); }
    void i32(int32_t v) {
        char b[4];
        qToLittleEndian(v, b);
        out_.append(b, 4);
    }
    void i16(int16_t v) {
        char b[2];
        qToLittleEndian(v, b);
        out_.append(b, 2);
    }
    // Exactly size bytes: cut or zero-padded.
    void fixed(QByteArrayView bytes, qsizetype size) {
        const qsizetype n = qMin(bytes.size(), size);
        out_.append(bytes.data(), n);
        if (n < size) out_.append(size - n, '\0');
    }
    void raw(QByteArrayView bytes) { out_.append(bytes.data(), bytes.size()); }
    QByteArray take() { return std::move(out_); }

  private:
    QByteArray out_;
};

// Every read is bounds-checked; the first short read marks the reader bad
// and all later reads return zeros, so callers check ok() once per block.
class Reader {
  public:
    explicit Reader(QByteArrayView bytes) : bytes_(bytes) {}
    bool ok() const { return ok_; }
    qint64 left() const { return bytes_.size() - pos_; }
    // Room for count records of size bytes each; a negative count is a fault.
    bool fits(qint64 count, qint64 size) {
        if (count < 0 || (size > 0 && count > left() / size)) ok_ = false;
        return ok_;
    }
    int32_t i32() {
        if (!fits(1, 4)) return 0;
        const int32_t v = qFromLittleEndian<int32_t>(bytes_.data() + pos_);
        pos_ += 4;
        return v;
    }
    QByteArrayView take(qint64 size) {
        if (!fits(1, size)) return {};
        const QByteArrayView v = bytes_.sliced(pos_, size);
        pos_ += size;
        return v;
    }
    void fail() { ok_ = false; }

  private:
    QByteArrayView bytes_;
    qint64 pos_ = 0;
    bool ok_ = true;
};

struct Counts {
    int32_t cellTypes = 0, merges = 0, cells = 0, fonts = 0;
    std::array<int32_t, kAttributeLists> attributes{};
    int32_t firstQuads = 0, secondQuads = 0;
};

int32_t fieldAt(QByteArrayView block, qsizetype offset) {
    if (offset + 4 > block.size()) return 0;
    return qFromLittleEndian<int32_t>(block.data() + offset);
}

QByteArray bytesAt(QByteArrayView block, qsizetype offset, qsizetype size) {
    QByteArray out(size, '\0');
    if (offset < block.size()) {
        const qsizetype n = qMin(size, block.size() - offset);
        std::memcpy(out.data(), block.data() + offset, n);
    }
    return out;
}

GridSettings readSettings(QByteArrayView block, Counts& counts) {
    GridSettings s;
    int32_t* head[] = {&s.rows,         &s.columns,          &s.fixedRows,
                       &s.fixedColumns, &s.defaultRowHeight, &s.defaultColumnWidth,
                       &s.lineColour,   &s.background,       &s.textColour};
    for (int i = 0; i < 9; ++i) *head[i] = fieldAt(block, i * 4);
    for (int i = 0; i < 12; ++i) s.display[i] = fieldAt(block, 36 + i * 4);
    counts.cellTypes = fieldAt(block, 84);
    counts.merges = fieldAt(block, 88);
    counts.cells = fieldAt(block, 92);
    counts.fonts = fieldAt(block, 96);
    for (int i = 0; i < kAttributeLists; ++i) counts.attributes[i] = fieldAt(block, 100 + i * 4);
    counts.firstQuads = fieldAt(block, 128);
    counts.secondQuads = fieldAt(block, 132);
    s.displayText = bytesAt(block, 136, 256);
    s.displayName = bytesAt(block, 392, 32);
    for (int i = 0; i < 3; ++i) s.trailingInts[i] = fieldAt(block, 424 + i * 4);
    s.trailingBytes = bytesAt(block, 436, 28);
    return s;
}

bool countsValid(const GridSettings& s, const Counts& c) {
    bool ok = s.rows >= 0 && s.columns >= 0 && s.fixedRows >= 0 && s.fixedColumns >= 0 &&
              c.cellTypes >= 0 && c.merges >= 0 && c.cells >= 0 && c.fonts >= 0 &&
              c.firstQuads >= 0 && c.secondQuads >= 0;
    for (int32_t n : c.attributes) ok = ok && n >= 0;
    return ok;
}

void writeSettings(Writer& w, const GridFile& f) {
    const GridSettings& s = f.settings;
    for (int32_t v : {s.rows, s.columns, s.fixedRows, s.fixedColumns, s.defaultRowHeight,
                      s.defaultColumnWidth, s.lineColour, s.background, s.textColour})
        w.i32(v);
    for (int32_t v : s.display) w.i32(v);
    for (qsizetype n : {f.cellTypes.size(), f.merges.size(), f.cells.size(), f.fonts.size()})
        w.i32(static_cast<int32_t>(n));
    for (const auto& list : f.attributes) w.i32(static_cast<int32_t>(list.size()));
    w.i32(static_cast<int32_t>(f.firstQuads.size()));
    w.i32(static_cast<int32_t>(f.secondQuads.size()));
    w.fixed(s.displayText, 256);
    w.fixed(s.displayName, 32);
    for (int32_t v : s.trailingInts) w.i32(v);
    w.fixed(s.trailingBytes, 28);
}

void writeCellType(Writer& w, const GridCellType& t) {
    w.i32(t.first);
    w.i32(t.second);
    w.fixed(t.shortText, 8);
    w.fixed(t.longText, 12);
    w.i32(t.third);
    w.i32(t.fourth);
    w.i32(static_cast<int32_t>(t.items.size()));
    for (const QByteArray& item : t.items) w.fixed(item, kCellTypeItemSize);
}

GridCellType readCellType(Reader& r) {
    GridCellType t;
    t.first = r.i32();
    t.second = r.i32();
    t.shortText = r.take(8).toByteArray();
    t.longText = r.take(12).toByteArray();
    t.third = r.i32();
    t.fourth = r.i32();
    const int32_t n = r.i32();
    if (!r.fits(n, kCellTypeItemSize)) return t;
    t.items.reserve(n);
    for (int32_t i = 0; i < n; ++i) t.items.append(r.take(kCellTypeItemSize).toByteArray());
    return t;
}

GridCellRecord readCell(Reader& r, int version, Gbk& gbk) {
    GridCellRecord c;
    c.row = r.i32();
    c.column = r.i32();
    const int32_t length = version >= 6 ? r.i32() : int32_t(kOldCellTextSize);
    if (!r.fits(length, 1)) return c;
    c.text = gbk.decode(r.take(length));
    c.check = r.i32();
    const int32_t size = r.i32();
    if (!r.fits(size, 1)) return c;
    c.data = r.take(size).toByteArray();
    return c;
}

template <typename T, typename Read>
bool readList(Reader& r, int32_t count, qint64 minSize, QList<T>& out, Read read) {
    if (!r.fits(count, minSize)) return false;
    out.reserve(count);
    for (int32_t i = 0; i < count && r.ok(); ++i) out.append(read());
    return r.ok();
}

bool readBody(Reader& r, GridFile& f, const Counts& n, Gbk& gbk) {
    const int v = f.version;
    auto i32 = [&r] { return r.i32(); };
    auto attribute = [&r] {
        GridAttributeRecord a;
        a.row = r.i32();
        a.column = r.i32();
        a.value = r.i32();
        return a;
    };
    auto quad = [&r] {
        GridQuad q;
        for (int32_t& x : q.values) x = r.i32();
        return q;
    };
    bool ok =
        readList(r, f.settings.rows, 4, f.rowHeights, i32) &&
        readList(r, f.settings.columns, 4, f.columnWidths, i32) &&
        readList(r, n.cellTypes, kCellTypeSize, f.cellTypes, [&r] { return readCellType(r); }) &&
        readList(r, n.merges, 24, f.merges, [&r] {
            GridMerge m;
            for (int32_t* x : {&m.mainRow, &m.mainColumn, &m.firstRow, &m.firstColumn, &m.lastRow,
                               &m.lastColumn})
                *x = r.i32();
            return m;
        });
    ok = ok && readList(r, n.cells, v >= 6 ? 20 : 16 + kOldCellTextSize, f.cells,
                        [&] { return readCell(r, v, gbk); });
    ok = ok && readList(r, n.fonts, 8 + kLogFontSize, f.fonts, [&r] {
             GridFontRecord fr;
             fr.row = r.i32();
             fr.column = r.i32();
             fr.logFont = r.take(kLogFontSize).toByteArray();
             return fr;
         });
    for (int i = 0; i < kAttributeLists && ok; ++i)
        ok = readList(r, n.attributes[i], 12, f.attributes[i], attribute);
    return ok && readList(r, n.firstQuads, 16, f.firstQuads, quad) &&
           readList(r, n.secondQuads, 16, f.secondQuads, quad);
}

}  // namespace

int32_t attributeDefault(const GridSettings& settings, int list) {
    switch (list) {
        case AttrBackground:
            return settings.background;
        case AttrTextColour:
            return settings.textColour;
        case AttrFormat:
            return gridflag::Default;
        case AttrExtra5:
            return 9;
        default:
            return 0;
    }
}

QByteArray defaultLogFont() {
    QByteArray f(kLogFontSize, '\0');
    setLogFontHeight(f, -12);
    qToLittleEndian<int32_t>(400, f.data() + 16);
    f[23] = char(134);                       // GB2312 character set
    const char face[] = "\xCB\xCE\xCC\xE5";  // 宋体 in GBK
    std::memcpy(f.data() + 28, face, 4);
    return f;
}

int32_t logFontHeight(const QByteArray& logFont) {
    return logFont.size() >= 4 ? qFromLittleEndian<int32_t>(logFont.constData()) : 0;
}

void setLogFontHeight(QByteArray& logFont, int32_t height) {
    if (logFont.size() < kLogFontSize) logFont.append(kLogFontSize - logFont.size(), '\0');
    qToLittleEndian(height, logFont.data());
}

int32_t logFontWeight(const QByteArray& logFont) {
    return logFont.size() >= 20 ? qFromLittleEndian<int32_t>(logFont.constData() + 16) : 0;
}

bool logFontItalic(const QByteArray& logFont) {
    return logFont.size() > 20 && logFont[20] != 0;
}

bool logFontUnderline(const QByteArray& logFont) {
    return logFont.size() > 21 && logFont[21] != 0;
}

QString logFontFace(const QByteArray& logFont) {
    if (logFont.size() < kLogFontSize) return {};
    Gbk gbk;
    return gbk.decode(QByteArrayView(logFont).sliced(28, 32));
}

QByteArray encodeGridFile(const GridFile& f) {
    Gbk gbk;
    Writer w(kHeaderSize + kSettingsSize + 4 * (f.rowHeights.size() + f.columnWidths.size()) +
             f.cells.size() * 32 + f.fonts.size() * 68 + 64);
    w.raw(QByteArrayView(kMagic, 4));
    w.i32(kGridFileVersion);
    w.i16(0);
    w.i16(0);
    writeSettings(w, f);
    for (int32_t h : f.rowHeights) w.i32(h);
    for (int32_t c : f.columnWidths) w.i32(c);
    for (const GridCellType& t : f.cellTypes) writeCellType(w, t);
    for (const GridMerge& m : f.merges)
        for (int32_t v :
             {m.mainRow, m.mainColumn, m.firstRow, m.firstColumn, m.lastRow, m.lastColumn})
            w.i32(v);
    for (const GridCellRecord& c : f.cells) {
        const QByteArray text = gbk.encode(c.text);
        w.i32(c.row);
        w.i32(c.column);
        w.i32(static_cast<int32_t>(text.size() + 1));
        w.raw(text);
        w.raw(QByteArrayView("\0", 1));
        w.i32(c.check);
        w.i32(static_cast<int32_t>(c.data.size()));
        w.raw(c.data);
    }
    for (const GridFontRecord& fr : f.fonts) {
        w.i32(fr.row);
        w.i32(fr.column);
        w.fixed(fr.logFont, kLogFontSize);
    }
    for (const auto& list : f.attributes)
        for (const GridAttributeRecord& a : list)
            for (int32_t v : {a.row, a.column, a.value}) w.i32(v);
    for (const auto* quads : {&f.firstQuads, &f.secondQuads})
        for (const GridQuad& q : *quads)
            for (int32_t v : q.values) w.i32(v);
    QByteArray bytes = w.take();
    // Readers refuse files below the minimum size, so a nearly empty grid
    // gets zero bytes after its last list (which readers ignore) rather
    // than a file that could never be loaded again.
    if (bytes.size() < kGridMinFileSize) bytes.append(kGridMinFileSize - bytes.size(), '\0');
    return bytes;
}

std::optional<GridFile> decodeGridFile(QByteArrayView bytes) {
    if (bytes.size() < kGridMinFileSize || std::memcmp(bytes.data(), kMagic, 4) != 0)
        return std::nullopt;
    Reader r(bytes.sliced(4));
    GridFile f;
    f.version = r.i32();
    if (f.version < 1 || f.version > kGridFileVersion) return std::nullopt;
    r.take(4);  // two reserved words
    Counts counts;
    f.settings = readSettings(r.take(settingsSizeFor(f.version)), counts);
    if (!r.ok() || !countsValid(f.settings, counts)) return std::nullopt;
    Gbk gbk;
    if (!readBody(r, f, counts, gbk)) return std::nullopt;
    return f;
}

}  // namespace rt
