#pragma once
// The grid's complete saved state as plain data, and its binary file form
// ("EGRD", little-endian, GBK texts). The control converts to and from this
// model; nothing here touches widgets.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace rt {

inline constexpr int kGridFileVersion = 6;
inline constexpr qsizetype kGridMinFileSize = 540;
inline constexpr qsizetype kLogFontSize = 60;
inline constexpr int kAttributeLists = 7;

// Text-drawing flags of the third attribute list.
namespace gridflag {
inline constexpr int32_t Center = 0x1, Right = 0x2, VCenter = 0x4, Bottom = 0x8, WordBreak = 0x10,
                         SingleLine = 0x20, NoPrefix = 0x800;
inline constexpr int32_t Default = SingleLine | VCenter | NoPrefix;  // 0x824
}  // namespace gridflag

// Per-cell values of the seven attribute lists; a cell is recorded in a
// list only where its value differs from that list's default.
enum GridAttribute : int {
    AttrBackground = 0,
    AttrTextColour = 1,
    AttrFormat = 2,
    AttrExtra4 = 3,
    AttrExtra5 = 4,
    AttrExtra6 = 5,
    AttrExtra7 = 6,
};

struct GridSettings {
    int32_t rows = 0;
    int32_t columns = 0;
    int32_t fixedRows = 0;
    int32_t fixedColumns = 0;
    int32_t defaultRowHeight = 24;
    int32_t defaultColumnWidth = 200;
    int32_t lineColour = 0xC0C0C0;  // colours are 0x00BBGGRR
    int32_t background = 0xFFFFFF;
    int32_t textColour = 0x000000;
    std::array<int32_t, 12> display{};
    QByteArray displayText = QByteArray(256, '\0');  // kept as raw bytes
    QByteArray displayName = QByteArray(32, '\0');
    std::array<int32_t, 3> trailingInts{};
    QByteArray trailingBytes = QByteArray(28, '\0');
    bool operator==(const GridSettings&) const = default;
};

struct GridCellType {
    int32_t first = 0, second = 0;
    QByteArray shortText = QByteArray(8, '\0');  // raw, zero-padded
    QByteArray longText = QByteArray(12, '\0');
    int32_t third = 0, fourth = 0;
    QList<QByteArray> items;  // raw 100-byte fields
    bool operator==(const GridCellType&) const = default;
};

struct GridMerge {
    int32_t mainRow = 0, mainColumn = 0, firstRow = 0, firstColumn = 0, lastRow = 0, lastColumn = 0;
    bool operator==(const GridMerge&) const = default;
};

struct GridCellRecord {
    int32_t row = 0, column = 0;
    QString text;
    int32_t check = 0;
    QByteArray data;
    bool operator==(const GridCellRecord&) const = default;
};

struct GridFontRecord {
    int32_t row = 0, column = 0;
    QByteArray logFont;  // the 60-byte Windows logical font, as stored
    bool operator==(const GridFontRecord&) const = default;
};

struct GridAttributeRecord {
    int32_t row = 0, column = 0, value = 0;
    bool operator==(const GridAttributeRecord&) const = default;
};

struct GridQuad {
    std::array<int32_t, 4> values{};
    bool operator==(const GridQuad&) const = default;
};

struct GridFile {
    int version = kGridFileVersion;  // as read; encode always writes the current one
    GridSettings settings;
    QList<int32_t> rowHeights;
    QList<int32_t> columnWidths;
    QList<GridCellType> cellTypes;
    QList<GridMerge> merges;
    QList<GridCellRecord> cells;
    QList<GridFontRecord> fonts;
    std::array<QList<GridAttributeRecord>, kAttributeLists> attributes;
    QList<GridQuad> firstQuads;
    QList<GridQuad> secondQuads;
    bool operator==(const GridFile&) const = default;
};

// Default value of each attribute list for a grid with these settings.
int32_t attributeDefault(const GridSettings& settings, int list);

// The grid's default font: 宋体, 12 pixels, normal weight, GB2312 charset.
QByteArray defaultLogFont();
int32_t logFontHeight(const QByteArray& logFont);
void setLogFontHeight(QByteArray& logFont, int32_t height);
int32_t logFontWeight(const QByteArray& logFont);
bool logFontItalic(const QByteArray& logFont);
bool logFontUnderline(const QByteArray& logFont);
QString logFontFace(const QByteArray& logFont);

// Always the current version; counts come from the list sizes. A file that
// would be shorter than the minimum size is padded with zero bytes.
QByteArray encodeGridFile(const GridFile& file);
// Versions 1 to 6. The whole input is checked before a result is produced:
// nullopt for short input, wrong magic, unknown version, negative counts or
// any record that runs past the end.
std::optional<GridFile> decodeGridFile(QByteArrayView bytes);

}  // namespace rt
