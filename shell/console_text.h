#pragma once
// Text as the interpreter reads and prints it: its console encoding, and the
// rules that turn one read of its output into text for the panel.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

namespace zorvik {

// The line as typed into the interpreter so that the command reads an empty
// input rather than the commands typed after it.
QString withEmptyInput(const QString& line);

// Encodes a line in the interpreter's console encoding (the console's code
// page on Windows, GBK on a Chinese system; UTF-8 elsewhere).
QByteArray encodeForConsole(const QString& text);

// Decodes the interpreter's output one read at a time. Decoding is stateful,
// so a character whose bytes arrive in two reads is shown whole once its
// last byte has come.
class ConsoleOutputDecoder {
  public:
    ConsoleOutputDecoder();

    // The text one read shows: the bytes up to the first zero byte; a read
    // that holds exactly one space shows nothing.
    QString decodeChunk(QByteArrayView chunk);

    // Forgets a half-received character (a fresh interpreter starts clean).
    void reset();

  private:
#ifdef Q_OS_WIN
    int codePage_;
    QByteArray partial_;  // the first bytes of a character still coming
#else
    QStringDecoder decoder_;
#endif
};

}  // namespace zorvik
