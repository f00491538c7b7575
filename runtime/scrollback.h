#pragma once
// Output logs kept like a terminal's scrollback: the last lines, the oldest
// dropped first, so a flood of any size costs what its last screenfuls cost.
// The command output panel keeps this much, and what feeds it never holds
// more waiting to be shown.

#include <QString>
#include <QStringView>

class QPlainTextEdit;

namespace rt {

inline constexpr int kScrollbackLines = 10000;
inline constexpr qsizetype kScrollbackChars = 4 * 1024 * 1024;

// Where the part of text that a log would keep begins: after the line break
// that leaves kScrollbackLines lines, and no more than kScrollbackChars
// characters before the end (a single longer line loses its beginning).
qsizetype scrollbackStart(QStringView text);

// Appends text (CR LF is one line break) at the end of box, then drops the
// oldest lines beyond the scrollback. A line longer than 1024 characters
// goes on in the next line. The cost depends on the text added, not on what
// the box already holds.
void appendToLog(QPlainTextEdit* box, const QString& text);

}  // namespace rt
