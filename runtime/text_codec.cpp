#include "runtime/text_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>

#include "runtime/codepage_win.h"

namespace rt {

namespace {

constexpr QChar kFullWidthSpace(0x3000);

// The ANSI page of the machines this program was made for is 936, so 0
// means GBK everywhere; other pages go to ICU by their usual names.
QByteArray codecName(int codePage) {
    switch (codePage) {
        case 0:
        case 936:
            return "GBK";
        case 65001:
            return "UTF-8";
        case 54936:
            return "GB18030";
        case 20127:
            return "US-ASCII";
        case 28591:
            return "ISO-8859-1";
        default:
            return "windows-" + QByteArray::number(codePage);
    }
}

// One-shot decoders drop an unfinished multi-byte character at the very
// end without a trace. A trailing line feed can never complete one, so it
// forces that character out as U+FFFD and is removed again afterwards.
QString decode(const QByteArray& name, QByteArrayView bytes, bool* ok = nullptr) {
    QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
    if (!decoder.isValid()) {
#ifdef Q_OS_WIN
        // Qt without ICU has no GBK; the system's conversion does.
        if (const int page = detail::windowsCodePage(name)) {
            if (ok) *ok = true;
            return detail::windowsDecode(page, bytes);
        }
#endif
        if (ok) *ok = false;
        return {};
    }
    QByteArray padded(bytes.data(), bytes.size());
    padded.append('\n');
    QString text = decoder.decode(padded);
    if (text.endsWith(u'\n')) text.chop(1);
    // hasError() only says that some byte became U+FFFD, which is the
    // intended outcome here; the text is complete either way.
    if (ok) *ok = true;
    return text;
}

QByteArray encode(const QByteArray& name, const QString& text, bool* ok = nullptr) {
    QStringEncoder encoder(name.constData(), QStringConverter::Flag::Stateless);
    if (!encoder.isValid()) {
#ifdef Q_OS_WIN
        if (const int page = detail::windowsCodePage(name)) {
            if (ok) *ok = true;
            return detail::windowsEncode(page, text);
        }
#endif
        if (ok) *ok = false;
        return {};
    }
    // Characters the page cannot hold come out as "?": same as the ANSI
    // conversion, so hasError() needs no further action.
    QByteArray bytes = encoder.encode(text);
    if (ok) *ok = true;
    return bytes;
}

QByteArrayView upToZero(const QByteArray& bytes) {
    const qsizetype end = bytes.indexOf('\0');
    return QByteArrayView(bytes).first(end < 0 ? bytes.size() : end);
}

}  // namespace

QByteArray toGbk(const QString& text) {
    return encode("GBK", text);
}

QString fromGbk(const QByteArray& gbk) {
    return decode("GBK", gbk);
}

QByteArray gbkToUtf16(const QByteArray& text, int codePage) {
    bool ok = false;
    const QString decoded = decode(codecName(codePage), upToZero(text), &ok);
    if (!ok) return {};
    QByteArray utf16((decoded.size() + 1) * 2, '\0');
    auto* out = reinterpret_cast<uchar*>(utf16.data());
    for (qsizetype i = 0; i < decoded.size(); ++i)
        qToLittleEndian<quint16>(decoded.at(i).unicode(), out + 2 * i);
    return utf16;
}

QByteArray utf16ToMultiByte(const QByteArray& utf16, int codePage) {
    QString text;
    const auto* in = reinterpret_cast<const uchar*>(utf16.constData());
    for (qsizetype i = 0; i + 1 < utf16.size(); i += 2) {
        const quint16 unit = qFromLittleEndian<quint16>(in + i);
        if (unit == 0) break;
        text.append(QChar(unit));
    }
    const QByteArray bytes = encode(codecName(codePage), text);
    return QByteArray(upToZero(bytes).data(), upToZero(bytes).size());
}

QByteArray gbkToUtf8(const QByteArray& gbk) {
    return utf16ToMultiByte(gbkToUtf16(gbk, 936), 65001);
}

bool textToLogical(const QString& text) {
    QString bare = text;
    bare.remove(u' ').remove(kFullWidthSpace);
    if (bare == u"假") return false;
    return !text.isEmpty();
}

}  // namespace rt
