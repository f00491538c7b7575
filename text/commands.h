#pragma once
// The command library: the conversions, dates and file calls the logic
// makes besides property access. Failures show up in the result only
// (false, 0, "").

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace rt {

// ---- conversions -------------------------------------------------------
QString toText(bool value);  // "真" / "假"
QString toText(int value);
inline QString toText(const QString& text) {
    return text;
}
// A character literal would otherwise quietly become a bool.
QString toText(const char*) = delete;

// Date-times are OLE dates: days since 1899-12-30, the fraction being the
// time of day (for days before that, the fraction still counts forwards).
QString dateTimeToText(double oleDate);
double toOleDate(const QDateTime& dateTime);
double nowTime();

// Full-width ASCII forms are read as their ASCII characters, then the text
// is read the way atoi/atof read it. Values beyond int saturate.
int toInteger(const QString& text);
double toNumber(const QString& text);
float toFloat(const QString& text);

// Text as stored, for a reader: the invisible characters that reorder
// what follows them (U+202A..U+202E, U+2066..U+2069, U+200E, U+200F,
// U+061C) become visible marks such as "<U+202E>", so that "12345 abc"
// with an override before it still reads "12345 abc".
QString withDirectionMarksShown(const QString& text);

// ---- files and folders ---------------------------------------------------
bool writeFile(const QString& path, const QList<QByteArray>& parts);
bool deleteFile(const QString& path);

// ---- system ----------------------------------------------------------------
// The folder a fresh command interpreter starts in: the Windows folder on
// Windows, the root elsewhere.
QString systemFolder();

}  // namespace rt
