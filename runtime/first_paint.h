#pragma once
// A window's first paint, seen from outside the window: work that need not
// come before it (the window's later controls, the desktop's icons and
// tray) is started from it, and the start-up benchmark times it.

#include <QCoreApplication>
#include <QEvent>
#include <cstdio>
#include <functional>

namespace rt {

// Processor time this process has used so far, in milliseconds.
double processorMs();

// Watches every paint until the window's own first one, then calls onPaint
// from inside that paint event, before the window draws. isWindow tells the
// window watched; it may not exist yet when the watch starts.
class FirstPaintFilter : public QObject {
  public:
    FirstPaintFilter(std::function<bool(const QObject*)> isWindow, QObject* parent)
        : QObject(parent), isWindow_(std::move(isWindow)) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    std::function<void()> onPaint;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Paint && isWindow_(watched)) {
            QCoreApplication::instance()->removeEventFilter(this);
            if (onPaint) onPaint();
        }
        return false;
    }

  private:
    std::function<bool(const QObject*)> isWindow_;
};

// For the start-up benchmark: prints the processor time used so far (steadier
// than the wall clock on a shared machine) when a window first paints, once
// as the paint begins ("first-paint cpu=…") and once the whole window has
// been painted and handed to the display ("first-paint-done cpu=…"). Fonts
// that only the paint itself loads count in the second figure alone.
class FirstPaintProbe : public FirstPaintFilter {
  public:
    FirstPaintProbe(std::function<bool(const QObject*)> isWindow, QObject* parent)
        : FirstPaintFilter(std::move(isWindow), parent) {
        onPaint = [this] {
            print("first-paint");
            // The window's children paint, and the result is flushed, in the
            // same pass; an event of high priority comes right after it, ahead
            // of whatever the paint itself started.
            QCoreApplication::postEvent(this, new QEvent(doneType()), Qt::HighEventPriority);
        };
    }

  protected:
    bool event(QEvent* e) override {
        if (e->type() != doneType()) return QObject::event(e);
        print("first-paint-done");
        return true;
    }

  private:
    static QEvent::Type doneType() {
        static const auto type = QEvent::Type(QEvent::registerEventType());
        return type;
    }
    static void print(const char* what) {
        std::printf("%s cpu=%.1f\n", what, processorMs());
        std::fflush(stdout);
    }
};

}  // namespace rt
