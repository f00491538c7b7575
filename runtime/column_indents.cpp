#include "runtime/column_indents.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

namespace rt {
namespace {

qsizetype leadingSpaces(const QString& line) {
    qsizetype n = 0;
    while (n < line.size() && line[n] == u' ') ++n;
    return n;
}

// The characters of line that fill its first columns exactly; empty when
// the line is shorter or a wide character straddles the last column.
QString columnsOf(const QString& line, qsizetype columns) {
    qsizetype filled = 0, end = 0;
    while (filled < columns && end < line.size()) filled += line[end++].unicode() < 0x80 ? 1 : 2;
    return filled == columns ? line.left(end) : QString();
}

// Spreads a line's leading spaces so they reach as far as the columns they
// stand for reach in the line above.
void alignIndents(QPlainTextEdit* box) {
    const QFontMetricsF metrics(box->font());
    const QSignalBlocker quiet(box);  // a change of look, not of content
    QString above;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        const QString line = block.text();
        const qsizetype spaces = leadingSpaces(line);
        if (spaces == 0) {
            above = line;
            continue;
        }
        const QString reach = columnsOf(above, spaces);
        if (reach.isEmpty()) continue;
        const qreal wanted = metrics.horizontalAdvance(reach);
        const qreal plain = metrics.horizontalAdvance(QString(spaces, u' '));
        QTextCharFormat spread;
        spread.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        spread.setFontLetterSpacing((wanted - plain) / qreal(spaces));
        QTextCursor cursor(block);
        cursor.setPosition(block.position() + int(spaces), QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(spread);
    }
}

class IndentKeeper : public QObject {
  public:
    explicit IndentKeeper(QPlainTextEdit* box) : QObject(box), box_(box) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched == box_ && e->type() == QEvent::FontChange) alignIndents(box_);
        return false;
    }

  private:
    QPlainTextEdit* box_;
};

}  // namespace

void keepColumnIndents(QPlainTextEdit* box) {
    box->installEventFilter(new IndentKeeper(box));
    alignIndents(box);
}

}  // namespace rt
