#include "runtime/scrollback.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "text/commands.h"

namespace rt {

qsizetype scrollbackStart(QStringView text) {
    qsizetype start = qMax<qsizetype>(0, text.size() - kScrollbackChars);
    qsizetype at = text.size();
    for (int breaks = 0; breaks < kScrollbackLines && at > start; ++breaks) {
        at = text.lastIndexOf(u'\n', at - 1);
        if (breaks + 1 == kScrollbackLines && at >= start) start = at + 1;
    }
    return start;
}

namespace {

// Laying out a line costs in proportion to its length, and the last line is
// laid out again with every append: an endless line would make each append
// slower than the one before. Longer lines go on in the next line, as a
// terminal's scrollback keeps them in rows.
constexpr qsizetype kLongestLine = 1024;

QString withLongLinesBroken(const QString& text, qsizetype column) {
    QString out;
    out.reserve(text.size() + text.size() / kLongestLine + 1);
    for (QChar c : text) {
        if (c == u'\n') {
            column = -1;
        } else if (column >= kLongestLine && !c.isLowSurrogate()) {
            out += u'\n';
            column = 0;
        }
        out += c;
        ++column;
    }
    return out;
}

// Removes everything before position. Positions are set directly: moving a
// cursor block by block would lay out every block it passes.
void dropBefore(QTextDocument* doc, int position) {
    if (position <= 0) return;
    QTextCursor cut(doc);
    cut.setPosition(position, QTextCursor::KeepAnchor);
    cut.removeSelectedText();
}

}  // namespace

void appendToLog(QPlainTextEdit* box, const QString& text) {
    QTextDocument* doc = box->document();
    // An undo history would keep every character ever shown.
    if (doc->isUndoRedoEnabled()) doc->setUndoRedoEnabled(false);
    // The document keeps lines, not line-end bytes: CR LF is one break.
    QString lines = withDirectionMarksShown(text);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines = withLongLinesBroken(lines, doc->lastBlock().length() - 1);
    lines.remove(0, scrollbackStart(lines));
    // Lines that would be over the limit go before the new ones come in.
    const int over = doc->blockCount() + int(lines.count(u'\n')) - kScrollbackLines;
    if (over > 0) {
        const QTextBlock first = doc->findBlockByNumber(over);
        dropBefore(doc, first.isValid() ? first.position() : doc->characterCount() - 1);
    }
    QTextCursor end(doc);
    end.movePosition(QTextCursor::End);
    end.insertText(lines);
    // Then the characters: whole lines first; a single line longer than the
    // limit loses its beginning.
    const int excess = doc->characterCount() - 1 - int(kScrollbackChars);
    if (excess > 0) {
        const QTextBlock cutIn = doc->findBlock(excess);
        const bool wholeLines = cutIn.position() < excess && cutIn.next().isValid();
        dropBefore(doc, wholeLines ? cutIn.next().position() : excess);
    }
}

}  // namespace rt
