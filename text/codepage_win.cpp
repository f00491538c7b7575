#include "text/codepage_win.h"

#ifdef Q_OS_WIN
#include <windows.h>

namespace rt::detail {

namespace {

// Converts bytes that make whole characters; false when one is not valid.
bool decodeStrict(int codePage, QByteArrayView bytes, QString& out) {
    const int n = MultiByteToWideChar(UINT(codePage), MB_ERR_INVALID_CHARS, bytes.data(),
                                      int(bytes.size()), nullptr, 0);
    if (n <= 0) return false;
    const qsizetype at = out.size();
    out.resize(at + n);
    MultiByteToWideChar(UINT(codePage), MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()),
                        reinterpret_cast<wchar_t*>(out.data() + at), n);
    return true;
}

}  // namespace

// Bytes that are no character of the page read as U+FFFD, one for each
// byte that cannot start one, as Qt's own converters read them; the
// system's own replacement would be an ordinary "?".
QString windowsDecode(int codePage, QByteArrayView bytes) {
    QString text;
    if (bytes.isEmpty() || decodeStrict(codePage, bytes, text)) return text;
    text.clear();
    for (qsizetype i = 0; i < bytes.size();) {
        const bool lead = codePage != 65001 && IsDBCSLeadByteEx(UINT(codePage), BYTE(bytes[i]));
        if (lead && i + 1 < bytes.size() && decodeStrict(codePage, bytes.sliced(i, 2), text)) {
            i += 2;
            continue;
        }
        if (!decodeStrict(codePage, bytes.sliced(i, 1), text)) text += QChar(0xFFFD);
        ++i;
    }
    return text;
}

QByteArray windowsEncode(int codePage, const QString& text, bool* whole) {
    if (whole) *whole = true;
    if (text.isEmpty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    // Only the double-byte pages can say that a character was replaced;
    // UTF-8 and GB18030 hold every character and refuse the question.
    const bool canAsk = codePage != 65001 && codePage != 54936;
    const DWORD flags = canAsk ? WC_NO_BEST_FIT_CHARS : 0;
    BOOL replaced = FALSE;
    const int n = WideCharToMultiByte(UINT(codePage), flags, wide, int(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    QByteArray bytes(qMax(n, 0), Qt::Uninitialized);
    if (n > 0)
        WideCharToMultiByte(UINT(codePage), flags, wide, int(text.size()), bytes.data(), n, nullptr,
                            canAsk ? &replaced : nullptr);
    if (whole) *whole = n > 0 && !replaced;
    return bytes;
}

int consoleCodePage() {
    return int(GetOEMCP());
}

qsizetype wholeCharacters(int codePage, QByteArrayView bytes) {
    const auto byte = [&](qsizetype i) { return quint8(bytes[i]); };
    const qsizetype n = bytes.size();
    if (codePage == 65001) {
        // Back to the last lead byte; it is whole when all its bytes came.
        for (qsizetype i = n - 1; i >= 0 && i >= n - 4; --i) {
            if ((byte(i) & 0xC0) == 0x80) continue;
            const int length = byte(i) >= 0xF0 ? 4 : byte(i) >= 0xE0 ? 3 : byte(i) >= 0xC0 ? 2 : 1;
            return i + length <= n ? n : i;
        }
        return n;
    }
    qsizetype i = 0;
    while (i < n) {
        const qsizetype length = IsDBCSLeadByteEx(UINT(codePage), BYTE(byte(i))) ? 2 : 1;
        if (i + length > n) break;
        i += length;
    }
    return i;
}

}  // namespace rt::detail
#endif
