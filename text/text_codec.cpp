#include "text/text_codec.h"

#include <algorithm>

#include "text/codepage_win.h"

namespace rt {

namespace {

constexpr QChar kFullWidthSpace(0x3000);

// One-shot decoders drop an unfinished multi-byte character at the very
// end without a trace. A trailing line feed can never complete one, so it
// forces that character out as U+FFFD and is removed again afterwards.
QString decodeWhole(QStringDecoder& decoder, QByteArrayView bytes, QByteArray& scratch) {
    scratch.clear();
    scratch.append(bytes);
    scratch.append('\n');
    decoder.resetState();
    QString text = decoder.decode(scratch);
    if (text.endsWith(u'\n')) text.chop(1);
    // hasError() only says that some byte became U+FFFD, which is the
    // intended outcome here; the text is complete either way.
    return text;
}

constexpr auto kStateless = QStringConverter::Flag::Stateless;

bool isDigitByte(char c) {
    return c >= '0' && c <= '9';
}

bool isLeadByte(char c) {
    return uchar(c) >= 0x81 && uchar(c) <= 0xFE;
}

// GB18030's four-byte sequences: lead, digit, lead, digit. GBK has no
// character whose second byte is a digit, so these never occur in GBK text.
bool fourByteAt(QByteArrayView bytes, qsizetype i) {
    return i + 3 < bytes.size() && isLeadByte(bytes[i]) && isDigitByte(bytes[i + 1]) &&
           isLeadByte(bytes[i + 2]) && isDigitByte(bytes[i + 3]);
}

}  // namespace

GbkCodec::GbkCodec()
    : gbkOut_(std::in_place, "GBK", kStateless),
      gb18030Out_(std::in_place, "GB18030", kStateless),
      gbkIn_("GBK", kStateless),
      gb18030In_("GB18030", kStateless) {}

QByteArray GbkCodec::encode(QStringView text) {
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return text.toLatin1();
    bool whole = false;
    QByteArray bytes = encodeIn(gbkOut_, "GBK", 936, text, &whole);
    if (whole) return bytes;
    // Character by character: GBK where it can, GB18030 where it cannot.
    // A few characters that GBK lacks have a two-byte GB18030 form; they
    // read back as the character GBK gives those bytes, the stand-in that
    // GBK systems use for them, which is still better than "?".
    QByteArray out;
    out.reserve(bytes.size() + 16);
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype width =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2
                                                                                             : 1;
        const QStringView one = text.sliced(i, width);
        bool held = false;
        QByteArray piece = encodeIn(gbkOut_, "GBK", 936, one, &held);
        if (!held) {
            const QByteArray wide = encodeIn(gb18030Out_, "GB18030", 54936, one, &held);
            if (held) piece = wide;
        }
        out += piece;
        i += width;
    }
    return out;
}

qsizetype GbkCodec::charWidth(QByteArrayView bytes, qsizetype offset) {
    if (fourByteAt(bytes, offset)) return 4;
    return isLeadByte(bytes[offset]) && offset + 1 < bytes.size() ? 2 : 1;
}

QString GbkCodec::decode(QByteArrayView bytes) {
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    QString out;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        // A lead byte pairs with whatever follows it; the GBK decoder judges
        // the pair.
        const qsizetype width = charWidth(bytes, i);
        if (width == 4) {
            out += decodeGbk(bytes.sliced(runStart, i - runStart));
            out += decodeIn(gb18030In_, 54936, bytes.sliced(i, 4));
            runStart = i + 4;
        }
        i += width;
    }
    out += decodeGbk(bytes.sliced(runStart));
    return out;
}

QString GbkCodec::decodeGbk(QByteArrayView bytes) {
    return bytes.isEmpty() ? QString() : decodeIn(gbkIn_, 936, bytes);
}

// Qt built without ICU (the usual Windows build) has no GBK converter; the
// system's code pages 936 and 54936 then do the same work.
QByteArray GbkCodec::encodeIn(std::optional<QStringEncoder>& encoder, const char* name,
                              int windowsPage, QStringView text, bool* whole) {
#ifdef Q_OS_WIN
    if (!encoder->isValid()) return detail::windowsEncode(windowsPage, text.toString(), whole);
#else
    Q_UNUSED(windowsPage)
#endif
    encoder->resetState();
    QByteArray bytes = encoder->encode(text);
    *whole = !encoder->hasError();
    // After a character it cannot hold, the GBK converter also refuses the
    // euro sign and the user-defined areas until it is opened again, even
    // across resetState(): one such character in a table would otherwise
    // change how every later cell is written.
    if (!*whole) encoder.emplace(name, kStateless);
    return bytes;
}

QString GbkCodec::decodeIn(QStringDecoder& decoder, int windowsPage, QByteArrayView bytes) {
#ifdef Q_OS_WIN
    if (!decoder.isValid()) return detail::windowsDecode(windowsPage, bytes);
#else
    Q_UNUSED(windowsPage)
#endif
    return decodeWhole(decoder, bytes, scratch_);
}

QByteArray toGbk(const QString& text) {
    return GbkCodec().encode(text);
}

QString fromGbk(const QByteArray& gbk) {
    return GbkCodec().decode(gbk);
}

bool textToLogical(const QString& text) {
    QString bare = text;
    bare.remove(u' ').remove(kFullWidthSpace);
    if (bare == u"假") return false;
    return !text.isEmpty();
}

}  // namespace rt
