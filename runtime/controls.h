#pragma once
// Widgets behind the control kinds that Qt does not offer as they are.

#include <QColor>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>
#include <functional>

namespace rt {

// Paints no background and draws its caption without prefix processing.
class TransparentLabel : public QWidget {
    Q_OBJECT
  public:
    explicit TransparentLabel(QWidget* parent);
    QString caption() const { return caption_; }
    void setCaption(const QString& text);
    QColor textColour() const { return colour_; }
    void setTextColour(const QColor& c);
    void setAlignment(Qt::Alignment a);
    void setWordWrap(bool on);
    bool wordWrap() const { return wrap_; }
    // The lines a wrapped caption breaks into, and their pitch.
    QStringList lines() const;
    int linePitch() const;
    // The face the caption is drawn in: the label's own, narrowed where a
    // single line would not fit the designed width.
    QFont paintFont() const;
    // Tells assistive technology the label's appearance as news (an
    // alert), not just a caption.
    void setAnnounced(bool on) { announced_ = on; }
    bool announced() const { return announced_; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QString caption_;
    QColor colour_ = Qt::black;
    Qt::Alignment align_ = Qt::AlignLeft;
    bool wrap_ = false;
    bool announced_ = false;
};

// A flat bar of one colour.
class SeparatorBar : public QWidget {
    Q_OBJECT
  public:
    SeparatorBar(QWidget* parent, const QColor& colour);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QColor colour_;
};

// Which characters typing may insert into an edit box.
enum class InputFilter { Normal, WholeNumber, DecimalNumber, ReadOnly };
bool acceptsTypedChar(InputFilter filter, QChar c);

class TextEdit : public QPlainTextEdit {
    Q_OBJECT
  public:
    TextEdit(QWidget* parent, InputFilter filter);

  protected:
    void keyPressEvent(QKeyEvent* e) override;

  private:
    InputFilter filter_;
};

// Reports the closing of its list once the selection has settled.
class ComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit ComboBox(QWidget* parent) : QComboBox(parent) {}
    std::function<void()> onListClosed;
    void hidePopup() override;
};

// Non-visual open/save file dialog control.
class CommonDialogControl : public QObject {
    Q_OBJECT
  public:
    explicit CommonDialogControl(QObject* parent) : QObject(parent) {}
    int type = 0;
    QString title, fileName, filter, initialFolder;
};

}  // namespace rt
