#include "runtime/caret_rest.h"

#include <QApplication>
#include <QEvent>
#include <QStyleHints>
#include <QTimer>

namespace rt {
namespace {

class CaretRest : public QObject {
  public:
    CaretRest(QObject* parent, std::chrono::milliseconds after) : QObject(parent) {
        rest_.setSingleShot(true);
        rest_.setInterval(after);
        connect(&rest_, &QTimer::timeout, this, [this] {
            flashMs_ = QGuiApplication::styleHints()->cursorFlashTime();
            // Zero: the boxes show a steady caret and run no blink timer.
            if (flashMs_ > 0) QApplication::setCursorFlashTime(0);
        });
        rest_.start();
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        switch (e->type()) {
            case QEvent::KeyPress:
            case QEvent::MouseButtonPress:
            case QEvent::FocusIn:
            case QEvent::InputMethod:
                wake();
                break;
            default:
                break;
        }
        return QObject::eventFilter(watched, e);
    }

  private:
    void wake() {
        if (!rest_.isActive() && flashMs_ > 0) QApplication::setCursorFlashTime(flashMs_);
        rest_.start();
    }

    QTimer rest_;
    int flashMs_ = 0;
};

CaretRest* rest = nullptr;

}  // namespace

void restCaretWhenIdle(std::chrono::milliseconds after) {
    if (rest || !qApp) return;
    rest = new CaretRest(qApp, after);
    qApp->installEventFilter(rest);
}

}  // namespace rt
