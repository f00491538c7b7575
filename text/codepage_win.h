#pragma once
// The system's own code-page conversion, for Qt builds without ICU (the
// usual Windows build), whose converters know no GBK.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#ifdef Q_OS_WIN
namespace rt::detail {

QString windowsDecode(int codePage, QByteArrayView bytes);
// whole: set to false when a character had no form in the page.
QByteArray windowsEncode(int codePage, const QString& text, bool* whole = nullptr);

// The code page console programs such as cmd read and print in: their
// console's, which starts as the system's OEM code page.
int consoleCodePage();
// How many of bytes' first bytes make whole characters of codePage: a
// character cut off at the end waits for the rest of its bytes.
qsizetype wholeCharacters(int codePage, QByteArrayView bytes);

}  // namespace rt::detail
#endif
