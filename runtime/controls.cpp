#include "runtime/controls.h"

#include <QFileDialog>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace rt {

TransparentLabel::TransparentLabel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
}

void TransparentLabel::setCaption(const QString& text) {
    if (text == caption_) return;
    caption_ = text;
    update();
}

void TransparentLabel::setTextColour(const QColor& c) {
    colour_ = c;
    update();
}

void TransparentLabel::setAlignment(Qt::Alignment a) {
    align_ = a;
    update();
}

void TransparentLabel::setWordWrap(bool on) {
    wrap_ = on;
    update();
}

void TransparentLabel::paintEvent(QPaintEvent*) {
    if (caption_.isEmpty()) return;
    QPainter p(this);
    p.setFont(font());
    const QColor c = isEnabled() ? colour_ : palette().color(QPalette::Disabled, QPalette::WindowText);
    p.setPen(c);
    if (!wrap_) {
        // Single lines are centred vertically, as every label expects.
        p.drawText(rect(), int(align_ | Qt::AlignVCenter | Qt::TextSingleLine), caption_);
        return;
    }
    // Wrapped captions break from the top with tight lines, as the designed
    // heights assume; CJK fonts' own line spacing is much taller.
    const QFontMetrics fm(font());
    const int lineHeight = font().pixelSize() > 0 ? font().pixelSize() + 2 : fm.height();
    QStringList lines;
    QString line;
    for (QChar ch : caption_) {
        if (!line.isEmpty() && fm.horizontalAdvance(line + ch) > width()) {
            lines << line;
            line.clear();
        }
        line += ch;
    }
    if (!line.isEmpty()) lines << line;
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(QRect(0, i * lineHeight, width(), lineHeight),
                   int(align_ | Qt::AlignVCenter | Qt::TextSingleLine), lines[i]);
}

SeparatorBar::SeparatorBar(QWidget* parent, const QColor& colour)
    : QWidget(parent), colour_(colour) {}

void SeparatorBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), colour_);
}

bool acceptsTypedChar(InputFilter filter, QChar c) {
    if (!c.isPrint()) return true;  // control characters: backspace, enter...
    switch (filter) {
        case InputFilter::WholeNumber:
            return (c >= u'0' && c <= u'9') || c == u'-';
        case InputFilter::DecimalNumber:
            return (c >= u'0' && c <= u'9') || c == u'-' || c == u'.';
        case InputFilter::ReadOnly:
        case InputFilter::Normal:
            return true;
    }
    return true;
}

static bool rejectTyped(InputFilter filter, QKeyEvent* e) {
    const QString t = e->text();
    if (t.isEmpty() || (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return false;
    for (QChar c : t)
        if (!acceptsTypedChar(filter, c)) return true;
    return false;
}

LineEdit::LineEdit(QWidget* parent, InputFilter filter) : QLineEdit(parent), filter_(filter) {
    setReadOnly(filter == InputFilter::ReadOnly);
}

void LineEdit::keyPressEvent(QKeyEvent* e) {
    const QString t = e->text();
    const bool inserts = !t.isEmpty() && t[0].isPrint() &&
                         !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    const qsizetype after = text().size() - selectedText().size() + t.size();
    if (rejectTyped(filter_, e) || (inserts && maxTyped_ >= 0 && after > maxTyped_)) {
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

TextEdit::TextEdit(QWidget* parent, InputFilter filter) : QPlainTextEdit(parent), filter_(filter) {
    setReadOnly(filter == InputFilter::ReadOnly);
    if (filter == InputFilter::ReadOnly)
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void TextEdit::keyPressEvent(QKeyEvent* e) {
    if (rejectTyped(filter_, e)) {
        e->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(e);
}

void ComboBox::hidePopup() {
    QComboBox::hidePopup();
    // Qt hides the list before it stores a clicked item; report the close
    // on the next turn of the loop, when the selection is final.
    if (onListClosed) QTimer::singleShot(0, this, [this] {
            if (onListClosed) onListClosed();
        });
}

QString CommonDialogControl::toQtFilter(const QString& filter) {
    // "description|patterns|description|patterns" -> "description (p1 p2);;..."
    const QStringList parts = filter.split(u'|', Qt::SkipEmptyParts);
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        out << parts[i] + u" ("_s + patterns + u')';
    }
    return out.join(u";;"_s);
}

bool CommonDialogControl::open(QWidget* owner) {
    QString chosen;
    const QString qtFilter = toQtFilter(filter);
    if (type == 1)
        chosen = QFileDialog::getSaveFileName(owner, title, initialFolder, qtFilter);
    else
        chosen = QFileDialog::getOpenFileName(owner, title, initialFolder, qtFilter);
    if (chosen.isEmpty()) return false;
    fileName = chosen;
    return true;
}

}  // namespace rt
