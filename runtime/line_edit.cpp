#include "runtime/line_edit.h"

#include <QEvent>
#include <QKeyEvent>
#include <QStyleOptionFrame>
#include <QValidator>
#include <cmath>

#include "runtime/fonts.h"

namespace rt {

// Every change of the text, whatever brought it, passes here before it
// is shown; a program write passes untouched.
class AdmitValidator : public QValidator {
  public:
    explicit AdmitValidator(LineEdit* edit) : QValidator(edit), edit_(edit) {}
    State validate(QString& input, int& pos) const override {
        if (!edit_->programWrite_) input = edit_->admit(edit_->admitted_, input, &pos);
        edit_->admitted_ = input;
        return Acceptable;
    }

  private:
    LineEdit* edit_;
};

LineEdit::LineEdit(QWidget* parent, InputFilter filter) : QLineEdit(parent), filter_(filter) {
    setReadOnly(filter == InputFilter::ReadOnly);
    setValidator(new AdmitValidator(this));
    designed_ = font();
}

void LineEdit::setMaxTyped(int n) {
    maxTyped_ = n;
    fitFace();
}

void LineEdit::setProgramText(const QString& text) {
    programWrite_ = true;
    setText(text);
    programWrite_ = false;
}

void LineEdit::setFitSample(const QString& sample) {
    sample_ = sample;
    fitFace();
}

QString LineEdit::fitSample() const {
    if (!sample_.isEmpty() || maxTyped_ <= 0 || filter_ == InputFilter::Normal) return sample_;
    const QString allowed = filter_ == InputFilter::DecimalNumber ? QStringLiteral("0123456789-.")
                                                                  : QStringLiteral("0123456789-");
    const QFontMetricsF fm(designed_);
    QChar widest = allowed[0];
    for (QChar c : allowed)
        if (fm.horizontalAdvance(c) > fm.horizontalAdvance(widest)) widest = c;
    return QString(maxTyped_, widest);
}

int LineEdit::innerMargin() const {
    // Qt keeps two pixels on each side inside the frame; the designed boxes
    // are too narrow for that. Centred text needs none; other text keeps
    // one pixel off the border.
    return alignment() & Qt::AlignHCenter ? 0 : 1;
}

QRect LineEdit::textRect() const {
    QStyleOptionFrame opt;
    initStyleOption(&opt);
    const int m = innerMargin();
    return style()->subElementRect(QStyle::SE_LineEditContents, &opt, this).adjusted(m, 0, -m, 0);
}

QString LineEdit::admit(const QString& before, const QString& after, int* cursor) const {
    if (filter_ == InputFilter::Normal && maxTyped_ < 0) return after;
    qsizetype head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const QString inserted = after.mid(head, after.size() - head - tail);
    QString kept;
    for (QChar c : inserted)
        if (c.isPrint() && acceptsTypedChar(filter_, c)) kept += c;
    if (maxTyped_ >= 0) kept.truncate(std::max<qsizetype>(0, maxTyped_ - head - tail));
    // An entry the rules refuse whole changes nothing, as a refused key.
    if (!inserted.isEmpty() && kept.isEmpty()) {
        if (cursor) *cursor = int(std::min(before.size(), head));
        return before;
    }
    if (cursor) {
        const int end = int(head + inserted.size());
        if (*cursor >= end)
            *cursor -= int(inserted.size() - kept.size());
        else if (*cursor > head)
            *cursor = int(std::min(*cursor, int(head + kept.size())));
    }
    return after.left(head) + kept + after.right(tail);
}

void LineEdit::keyPressEvent(QKeyEvent* e) {
    // A refused key changes nothing at all, not even for a moment.
    const QString t = e->text();
    const bool inserts = !t.isEmpty() && t[0].isPrint() &&
                         !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (inserts) {
        const bool refused = admit(QString(), t, nullptr) != t;
        const qsizetype after = text().size() - selectedText().size() + t.size();
        if (refused || (maxTyped_ >= 0 && after > maxTyped_)) {
            e->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

void LineEdit::changeEvent(QEvent* e) {
    QLineEdit::changeEvent(e);
    if (e->type() == QEvent::FontChange && !fitting_) {
        designed_ = font();
        fitFace();
    }
    if (e->type() == QEvent::StyleChange) fitFace();
}

void LineEdit::resizeEvent(QResizeEvent* e) {
    QLineEdit::resizeEvent(e);
    fitFace();
}

void LineEdit::fitFace() {
    if (fitting_) return;
    const int margin = innerMargin() - 2;
    if (textMargins() != QMargins(margin, 0, margin, 0)) setTextMargins(margin, 0, margin, 0);
    // Qt shows the text in place only while it and a pixel for the cursor
    // fit; otherwise it scrolls the first characters out of sight. A pixel
    // more on each side keeps the glyphs off the border.
    const QString sample = fitSample();
    const QFont f = sample.isEmpty()
                        ? designed_
                        : narrowedToFit(designed_, sample, textRect().width() - 3.5, false);
    if (f == font()) return;
    fitting_ = true;
    setFont(f);
    fitting_ = false;
}

}  // namespace rt
