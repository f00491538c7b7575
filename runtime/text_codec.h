#pragma once
// Code page 936 (GBK) at the byte boundaries: texts live in memory as
// QString and become GBK bytes only where a file or a byte count needs them.

#include <QByteArray>
#include <QString>

namespace rt {

// Characters GBK cannot hold become "?", as the ANSI conversion does.
QByteArray toGbk(const QString& text);
// Never fails: bytes that are not GBK become U+FFFD.
QString fromGbk(const QByteArray& gbk);

// The zero-terminated multi-byte text in the given code page (936 GBK,
// 65001 UTF-8, 0 the system ANSI page, taken as GBK) as UTF-16LE with its
// terminating zero unit. An unknown code page gives an empty byte set.
QByteArray gbkToUtf16(const QByteArray& text, int codePage = 65001);
// The zero-terminated UTF-16LE text converted to the code page, without a
// terminating zero.
QByteArray utf16ToMultiByte(const QByteArray& utf16, int codePage = 0);
// GBK bytes to UTF-8 bytes (the speech request percent-encodes these).
QByteArray gbkToUtf8(const QByteArray& gbk);

// "假" (blanks ignored) and the empty text are false, anything else true.
bool textToLogical(const QString& text);

}  // namespace rt
