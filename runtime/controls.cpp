#include "runtime/controls.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>

#include "runtime/accessible.h"
#include "runtime/fonts.h"

using namespace Qt::StringLiterals;

namespace rt {

TransparentLabel::TransparentLabel(QWidget* parent) : QWidget(parent) {
    installAccessibleKinds();
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
}

void TransparentLabel::setCaption(const QString& text) {
    if (text == caption_) return;
    caption_ = text;
    update();
    // The caption is the label's name to a screen reader: the time
    // display is heard as it counts.
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
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

QStringList TransparentLabel::lines() const {
    if (caption_.isEmpty()) return {};
    if (!wrap_) return {caption_};
    return wrapLines(font(), caption_, width());
}

int TransparentLabel::linePitch() const {
    if (!wrap_) return height();
    // Two pixels of leading where the label's height leaves room for them.
    const int px = font().pixelSize() > 0 ? font().pixelSize() : QFontMetrics(font()).ascent();
    const qsizetype count = std::max<qsizetype>(1, lines().size());
    return std::clamp(int(height() / count), px, px + 2);
}

QFont TransparentLabel::paintFont() const {
    return wrap_ ? font() : narrowedToFit(font(), caption_, width());
}

void TransparentLabel::paintEvent(QPaintEvent*) {
    if (caption_.isEmpty()) return;
    QPainter p(this);
    p.setFont(paintFont());
    const QColor c =
        isEnabled() ? colour_ : palette().color(QPalette::Disabled, QPalette::WindowText);
    p.setPen(c);
    // Single lines are centred vertically, as every label expects; wrapped
    // captions break from the top.
    drawLines(p, rect(), align_ | (wrap_ ? Qt::AlignTop : Qt::AlignVCenter), lines(), linePitch());
}

SeparatorBar::SeparatorBar(QWidget* parent, const QColor& colour)
    : QWidget(parent), colour_(colour) {
    installAccessibleKinds();
}

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

TextEdit::TextEdit(QWidget* parent, InputFilter filter) : QPlainTextEdit(parent), filter_(filter) {
    // Tab goes on to the next control, as in a dialog; a box that kept it
    // would hold the keyboard for good.
    setTabChangesFocus(true);
    setReadOnly(filter == InputFilter::ReadOnly);
    if (filter == InputFilter::ReadOnly) {
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        // Text that cannot be changed shows no caret, only its selection.
        setCursorWidth(0);
    }
}

void TextEdit::keyPressEvent(QKeyEvent* e) {
    // Ctrl+Tab, which leaves a box that takes Tab elsewhere, leaves this one too.
    if ((e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) &&
        (e->modifiers() & Qt::ControlModifier)) {
        const bool back = e->key() == Qt::Key_Backtab || (e->modifiers() & Qt::ShiftModifier);
        if (focusNextPrevChild(!back)) {
            e->accept();
            return;
        }
    }
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
    if (onListClosed)
        QTimer::singleShot(0, this, [this] {
            if (onListClosed) onListClosed();
        });
}

}  // namespace rt
