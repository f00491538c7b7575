#pragma once
// The single-line edit box: its input rules hold for every way text comes
// in (typing, paste, drag and drop, input methods), and its face narrows
// where the widest text it must show would not fit the box.

#include <QLineEdit>

#include "runtime/controls.h"

namespace rt {

class LineEdit : public QLineEdit {
    Q_OBJECT
  public:
    LineEdit(QWidget* parent, InputFilter filter);
    // Caps what the user can enter; texts the program writes count in full.
    void setMaxTyped(int n);
    // A program write: shown whole, whatever the filter and the cap.
    void setProgramText(const QString& text);
    // The text the box must show whole: the given sample, or else the
    // widest the user can enter when a cap and a filter bound it.
    void setFitSample(const QString& sample);
    QString fitSample() const;
    // Where the text is drawn: inside the border, with no further margin.
    QRect textRect() const;
    // The part of an edit that the rules let in (keeps `before` where
    // `after` equals it, filters and caps what was inserted), moving
    // `cursor` along with it.
    QString admit(const QString& before, const QString& after, int* cursor) const;

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    int innerMargin() const;
    void fitFace();
    InputFilter filter_;
    int maxTyped_ = -1;
    QString sample_;
    QFont designed_;
    bool fitting_ = false;
    bool programWrite_ = false;
    QString admitted_;  // the text as the rules last let it in
    friend class AdmitValidator;
};

}  // namespace rt
