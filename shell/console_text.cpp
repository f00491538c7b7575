#include "shell/console_text.h"

#include <QStringEncoder>

#ifdef Q_OS_WIN
#include "text/codepage_win.h"
#endif

namespace zorvik {

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

// Characters the console encoding cannot hold come out as '?', which is
// what the interpreter would have seen had they been typed there.
#ifdef Q_OS_WIN
// cmd reads and prints in its console's code page (936 on a Chinese
// system, 437 or 850 on others), not the ANSI one of the files.
QByteArray encodeForConsole(const QString& text) {
    return rt::detail::windowsEncode(rt::detail::consoleCodePage(), text);
}

ConsoleOutputDecoder::ConsoleOutputDecoder() : codePage_(rt::detail::consoleCodePage()) {}
#else
QByteArray encodeForConsole(const QString& text) {
    return QStringEncoder(QStringConverter::Utf8).encode(text);
}

ConsoleOutputDecoder::ConsoleOutputDecoder() : decoder_(QStringConverter::Utf8) {}
#endif

QString ConsoleOutputDecoder::decodeChunk(QByteArrayView chunk) {
    const qsizetype zero = chunk.indexOf('\0');
    if (zero >= 0) chunk = chunk.first(zero);
    // A read holding a lone space carries nothing worth showing in the panel.
    if (chunk.size() == 1 && chunk.front() == ' ') return {};
#ifdef Q_OS_WIN
    partial_ += chunk;
    const qsizetype whole = rt::detail::wholeCharacters(codePage_, partial_);
    const QString text =
        rt::detail::windowsDecode(codePage_, QByteArrayView(partial_).first(whole));
    partial_.remove(0, whole);
    return text;
#else
    return decoder_.decode(chunk);
#endif
}

void ConsoleOutputDecoder::reset() {
#ifdef Q_OS_WIN
    partial_.clear();
#else
    decoder_.resetState();
#endif
}

}  // namespace zorvik
