#pragma once
// Code page 936 (GBK) at the byte boundaries: texts live in memory as
// QString and become GBK bytes only where a file or a byte count needs them.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <optional>

namespace rt {

// The text form of the program's files: GBK for every character GBK has
// (its bytes exactly as code page 936 gives them, 0x80 and the user-defined
// areas included), and GB18030 for the characters GBK lacks, so none is
// lost. GB18030 is GBK's own extension: the GBK bytes of a file stay
// readable by any GBK reader, and the added characters take four-byte
// sequences that GBK never uses. Keeps its converters, so one instance can
// convert many texts cheaply.
class GbkCodec {
  public:
    GbkCodec();
    // Its converters do not survive a move (they would write "?").
    Q_DISABLE_COPY_MOVE(GbkCodec)
    QByteArray encode(QStringView text);
    // Never fails: bytes that are neither become U+FFFD.
    QString decode(QByteArrayView bytes);
    // Bytes the character at offset takes: 4 for a GB18030 four-byte
    // sequence, 2 for a lead byte with the byte after it, else 1.
    static qsizetype charWidth(QByteArrayView bytes, qsizetype offset);

  private:
    QString decodeGbk(QByteArrayView bytes);
    QByteArray encodeIn(std::optional<QStringEncoder>& encoder, const char* name, int windowsPage,
                        QStringView text, bool* whole);
    QString decodeIn(QStringDecoder& decoder, int windowsPage, QByteArrayView bytes);

    // Encoders are opened again after a failed conversion (see encodeIn).
    std::optional<QStringEncoder> gbkOut_;
    std::optional<QStringEncoder> gb18030Out_;
    QStringDecoder gbkIn_;
    QStringDecoder gb18030In_;
    QByteArray scratch_;
};

// One-off conversions with the rules of GbkCodec.
QByteArray toGbk(const QString& text);
QString fromGbk(const QByteArray& gbk);

// "假" (blanks ignored) and the empty text are false, anything else true.
bool textToLogical(const QString& text);

}  // namespace rt
