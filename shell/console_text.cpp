#include "shell/console_text.h"

#include <QStringEncoder>

namespace zorvik {
namespace {

// The console of a Chinese Windows speaks code page 936. Qt resolves "GBK"
// through ICU; a build without it falls back to the local 8-bit encoding,
// which is the same code page on such a system.
template <typename Converter>
Converter consoleConverter() {
#ifdef Q_OS_WIN
    Converter named("GBK");
    if (named.isValid()) return named;
    return Converter(QStringConverter::System);
#else
    return Converter(QStringConverter::Utf8);
#endif
}

}  // namespace

QString withEmptyInput(const QString& line) {
#ifdef Q_OS_WIN
    // The console reads its commands from the same input its commands get;
    // a block redirected from NUL gives the whole line (pipes, "&" chains)
    // an empty input. Lines a block would change are typed as they are: a
    // comment would swallow the closing parenthesis, and unbalanced
    // parentheses would end the block early or leave it open.
    const QString bare = line.trimmed().toLower();
    if (bare.isEmpty() || bare.startsWith(u"rem") || bare.startsWith(u"::")) return line;
    int depth = 0;
    bool quoted = false;
    for (QChar c : line) {
        if (c == u'"') quoted = !quoted;
        if (quoted) continue;
        if (c == u'(') ++depth;
        if (c == u')' && --depth < 0) return line;
    }
    return depth == 0 ? QStringLiteral("(") + line + QStringLiteral(") <NUL") : line;
#else
    // The POSIX interpreter loop gives each command /dev/null itself.
    return line;
#endif
}

QByteArray encodeForConsole(const QString& text) {
    auto encoder = consoleConverter<QStringEncoder>();
    // Characters the console encoding cannot hold come out as '?', which is
    // what the interpreter would have seen had they been typed there.
    return encoder.encode(text);
}

ConsoleOutputDecoder::ConsoleOutputDecoder() : decoder_(consoleConverter<QStringDecoder>()) {}

QString ConsoleOutputDecoder::decodeChunk(QByteArrayView chunk) {
    const qsizetype zero = chunk.indexOf('\0');
    if (zero >= 0) chunk = chunk.first(zero);
    // A read holding a lone space carries nothing worth showing in the panel.
    if (chunk.size() == 1 && chunk.front() == ' ') return {};
    return decoder_.decode(chunk);
}

void ConsoleOutputDecoder::reset() {
    decoder_.resetState();
}

}  // namespace zorvik
