#pragma once
// The command library: conversions, texts, byte sets, arithmetic, time and
// files that the logic calls besides property access. Failures show up in
// the result only (false, 0, "", an empty byte set); the two divisions by
// zero are programming errors and end the program.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace rt {

// ---- conversions -------------------------------------------------------
QString toText(bool value);  // "真" / "假"
QString toText(int value);
QString toText(qint64 value);
QString toText(float value);              // "%.6g"
QString toText(double value);             // "%.13g"
QString toText(const QByteArray& bytes);  // GBK bytes up to the first zero byte
QString toText(const QDateTime& dateTime);
inline QString toText(const QString& text) {
    return text;
}
// A character literal would otherwise quietly become a bool.
QString toText(const char*) = delete;

// Date-times are OLE dates: days since 1899-12-30, the fraction being the
// time of day (for days before that, the fraction still counts forwards).
QString dateTimeToText(double oleDate);
double toOleDate(const QDateTime& dateTime);
QDateTime fromOleDate(double oleDate);
double nowTime();

// Full-width ASCII forms are read as their ASCII characters, then the text
// is read the way atoi/atof read it. Values beyond int saturate.
int toInteger(const QString& text);
int toInteger(double value);  // truncated toward zero, saturating; NaN gives 0
double toNumber(const QString& text);
float toFloat(const QString& text);

QByteArray toBytes(const QString& text);  // GBK, no terminating zero
QByteArray toBytes(int value);            // 4 bytes, little-endian
QByteArray toBytes(double value);         // 8 bytes, little-endian
QString toHexText(int value);             // "%X"

// ---- texts -------------------------------------------------------------
int textLength(const QString& text);  // bytes in GBK
// Pieces between separators; an empty rest after the last separator is no
// piece. At most limit pieces when limit >= 0.
QStringList splitText(const QString& text, const QString& separator = QStringLiteral(","),
                      int limit = -1);
QString trimSpaces(const QString& text);       // ASCII and full-width spaces
QString removeAllSpaces(const QString& text);  // ASCII and full-width spaces
QString spaces(int count);

// ---- byte sets -----------------------------------------------------------
int bytesLength(const QByteArray& data);
QByteArray zeroBytes(int count);
QByteArray leftBytes(const QByteArray& data, int count);
// start is 1-based; count < 0 replaces every occurrence.
QByteArray replaceBytes(const QByteArray& data, const QByteArray& find,
                        const QByteArray& replacement = QByteArray(), int start = 1,
                        int count = -1);

// ---- arithmetic and colour -------------------------------------------------
double intDivide(double a, double b);
double remainder(double a, double b);
template <typename... More>
double intDivide(double a, double b, double c, More... more) {
    return intDivide(intDivide(a, b), c, more...);
}
template <typename... More>
double remainder(double a, double b, double c, More... more) {
    return remainder(remainder(a, b), c, more...);
}
template <typename... More>
int bitOr(int a, int b, More... more) {
    return ((a | b) | ... | static_cast<int>(more));
}
int rgbColor(int red, int green, int blue);

// ---- files and folders ---------------------------------------------------
QString currentDirectory();
bool changeDirectory(const QString& path);
// Wildcards (* and ?) are allowed in the last path component.
bool fileExists(const QString& pathWithWildcards);
bool writeFile(const QString& path, const QList<QByteArray>& parts);
bool deleteFile(const QString& path);

// ---- threads and system ----------------------------------------------------
// Runs routine on a new detached thread; false when none could be started.
bool startThread(std::function<void()> routine);
// The folder a fresh command interpreter starts in: the Windows folder on
// Windows, the root elsewhere.
QString systemFolder();

}  // namespace rt
