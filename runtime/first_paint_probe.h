#pragma once
// For the start-up benchmark: prints the processor time used so far (steadier
// than the wall clock on a shared machine) when a window first paints, once
// as the paint begins ("first-paint cpu=…") and once the whole window has
// been painted and handed to the display ("first-paint-done cpu=…"). Fonts
// that only the paint itself loads count in the second figure alone.

#include <QCoreApplication>
#include <QEvent>
#include <cstdio>
#include <ctime>
#include <functional>

namespace rt {

class FirstPaintProbe : public QObject {
  public:
    // isWindow tells the window watched; it may not exist yet.
    FirstPaintProbe(std::function<bool(const QObject*)> isWindow, QObject* parent)
        : QObject(parent), isWindow_(std::move(isWindow)) {
        QCoreApplication::instance()->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Paint && isWindow_(watched)) {
            print("first-paint");
            QCoreApplication::instance()->removeEventFilter(this);
            // The window's children paint, and the result is flushed, in the
            // same pass; an event of high priority comes right after it.
            QCoreApplication::postEvent(this, new QEvent(doneType()), Qt::HighEventPriority);
        }
        return false;
    }
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
        std::printf("%s cpu=%.1f\n", what, 1000.0 * double(std::clock()) / CLOCKS_PER_SEC);
        std::fflush(stdout);
    }

    std::function<bool(const QObject*)> isWindow_;
};

}  // namespace rt
