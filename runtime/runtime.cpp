#include "runtime/runtime.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QMutex>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QThread>
#include <QTimer>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "runtime/controls.h"
#include "runtime/registry.h"
#include "runtime/scrollback.h"
#include "runtime/window_host.h"

using namespace Qt::StringLiterals;

namespace rt {
namespace {

QMutex programDirLock;

}  // namespace

namespace detail {

Registry& reg() {
    static Registry r;
    return r;
}

bool onGui() {
    return !qApp || QThread::currentThread() == qApp->thread();
}

WindowInstance* findWindow(const QString& name) {
    auto it = reg().loaded.find(name);
    return it == reg().loaded.end() ? nullptr : it->second.get();
}

std::vector<WindowInstance*> loadedWindows() {
    std::vector<WindowInstance*> out;
    for (auto& [name, w] : reg().loaded)
        if (!w->destroying) out.push_back(w.get());
    return out;
}

ControlEntry* findControl(WindowInstance* w, const QString& control) {
    if (!w) return nullptr;
    if (w->later.contains(control)) buildLaterControls(w);
    auto it = w->controls.find(control);
    return it == w->controls.end() ? nullptr : &it->second;
}

ControlEntry* requireControl(const QString& window, const QString& control, bool forWrite) {
    WindowInstance* w = findWindow(window);
    if (!w)
        fatalError(forWrite ? 10 : 9, forWrite ? u"修改组件属性时发现指定窗口尚未载入"_s
                                               : u"未载入欲访问窗口组件所在的窗口"_s);
    ControlEntry* c = findControl(w, control);
    if (!c) fatalError(11, u"未载入欲访问窗口组件所在的窗口"_s + u": "_s + control);
    return c;
}

QVariant dispatch(WindowInstance* w, const EventBindings& bindings, int event,
                  const QVariantList& args) {
    if (!w || findWindow(w->desc.name) != w) return {};
    auto b = bindings.find(event);
    if (b == bindings.end()) return {};
    auto h = reg().handlers.find(b->second);
    if (h == reg().handlers.end() || !h->second) return {};
    Handler handler = h->second;  // the handler may rebind or unload
    ++w->handlersRunning;
    const QVariant result = handler(args);
    // The record outlives its widgets, so it is still here even when the
    // handler destroyed the window.
    if (--w->handlersRunning == 0 && w->deleteWhenIdle && w->host) {
        w->deleteWhenIdle = false;
        w->host->deleteLater();
    }
    return result;
}

void reportResizeIfChanged(WindowInstance* w) {
    if (!w || !w->host) return;
    const QSize now = w->host->outerSize();
    if (now == w->lastReportedOuter) return;
    w->lastReportedOuter = now;
    dispatch(w, w->desc.events, ev::Resized, {});
}

}  // namespace detail

using detail::onGuiResult;
using detail::reg;

void onGuiThread(const std::function<void()>& fn) {
    if (detail::onGui()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(qApp, fn, Qt::BlockingQueuedConnection);
}

void postToGuiThread(std::function<void()> fn) {
    if (!qApp) return;
    if (detail::onGui()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(qApp, std::move(fn), Qt::QueuedConnection);
}

void registerWindow(const WindowDesc& desc) {
    reg().descriptions[desc.name] = desc;
}

void bindHandler(const QString& name, Handler handler) {
    reg().handlers[name] = std::move(handler);
}

QStringList unboundHandlers() {
    QStringList missing;
    const auto check = [&](const EventBindings& events) {
        for (const auto& [event, name] : events)
            if (!reg().handlers.count(name) && !missing.contains(name)) missing << name;
    };
    for (const auto& [window, desc] : reg().descriptions) {
        check(desc.events);
        for (const ControlDesc& c : desc.controls) check(c.events);
        for (const MenuItemDesc& m : desc.menu) check(m.events);
    }
    return missing;
}

void bindAction(const QString& name, std::function<void()> action) {
    bindHandler(name, [action = std::move(action)](const QVariantList&) {
        action();
        return QVariant();
    });
}

QString programDirectory() {
    QMutexLocker lock(&programDirLock);
    if (reg().programDir.isEmpty()) return QCoreApplication::applicationDirPath();
    return reg().programDir;
}

void setProgramDirectory(const QString& dir) {
    QMutexLocker lock(&programDirLock);
    reg().programDir = dir;
}

void registerExitRoutine(std::function<void()> routine) {
    reg().exitRoutines.push_back(std::move(routine));
}

void runExitRoutines() {
    if (reg().exitRoutinesRan) return;
    reg().exitRoutinesRan = true;
    for (auto& r : reg().exitRoutines) r();
}

QWidget* windowWidget(const QString& window) {
    return onGuiResult<QWidget*>([&]() -> QWidget* {
        detail::WindowInstance* w = detail::findWindow(window);
        return w ? w->host.data() : nullptr;
    });
}

QObject* controlObject(const QString& window, const QString& control) {
    return onGuiResult<QObject*>([&]() -> QObject* {
        detail::WindowInstance* w = detail::findWindow(window);
        if (!w) return nullptr;
        if (control.isEmpty() || control == window) return w->host.data();
        detail::ControlEntry* c = detail::findControl(w, control);
        if (!c) return nullptr;
        return c->action ? static_cast<QObject*>(c->action.data()) : c->obj.data();
    });
}

QVariant raiseEvent(const QString& window, const QString& control, int event,
                    const QVariantList& args) {
    return onGuiResult<QVariant>([&] {
        detail::WindowInstance* w = detail::findWindow(window);
        if (!w) return QVariant();
        if (control.isEmpty() || control == window)
            return detail::dispatch(w, w->desc.events, event, args);
        detail::ControlEntry* c = detail::findControl(w, control);
        return c ? detail::dispatch(w, c->desc.events, event, args) : QVariant();
    });
}

int clientWidth(const QString& window) {
    return onGuiResult<int>([&] {
        detail::WindowInstance* w = detail::findWindow(window);
        return w ? w->host->client()->width() : 0;
    });
}

int screenWidth() {
    return onGuiResult<int>([] {
        QScreen* s = QGuiApplication::primaryScreen();
        return s ? s->geometry().width() : 0;
    });
}

int screenHeight() {
    return onGuiResult<int>([] {
        QScreen* s = QGuiApplication::primaryScreen();
        return s ? s->geometry().height() : 0;
    });
}

void moveControl(const QString& window, const QString& control, int left, int top, int width,
                 int height) {
    onGuiThread([&] {
        const QString target = control.isEmpty() ? window : control;
        const int curLeft = getProperty(window, target, slot::Left).toInt();
        const int curTop = getProperty(window, target, slot::Top).toInt();
        const int curW = getProperty(window, target, slot::Width).toInt();
        const int curH = getProperty(window, target, slot::Height).toInt();
        const int l = left == INT_MIN ? curLeft : left;
        const int t = top == INT_MIN ? curTop : top;
        const int w = width < 0 ? curW : width;
        const int h = height < 0 ? curH : height;
        if (l == curLeft && t == curTop && w == curW && h == curH) return;
        if (l != curLeft || t != curTop) {
            setProperty(window, target, slot::Left, l);
            setProperty(window, target, slot::Top, t);
        }
        if (w != curW) setProperty(window, target, slot::Width, w);
        if (h != curH) setProperty(window, target, slot::Height, h);
    });
}

void appendEditText(const QString& window, const QString& control, const QString& text) {
    onGuiThread([&] {
        detail::ControlEntry* c = detail::requireControl(window, control, true);
        if (auto* e = qobject_cast<QPlainTextEdit*>(c->widget)) {
            // A box appended to is a log, kept like a terminal's scrollback.
            appendToLog(e, text);
            e->verticalScrollBar()->setValue(e->verticalScrollBar()->maximum());
        } else if (auto* l = qobject_cast<QLineEdit*>(c->widget)) {
            QSignalBlocker block(l);
            l->setText(l->text() + text);
            l->end(false);
        }
    });
}

bool isWindowActive(const QString& window) {
    return onGuiResult<bool>([&] {
        detail::WindowInstance* w = detail::findWindow(window);
        return w && w->host->isActiveWindow();
    });
}

bool isWindowMinimized(const QString& window) {
    return onGuiResult<bool>([&] {
        detail::WindowInstance* w = detail::findWindow(window);
        return w && w->host->isMinimized();
    });
}

}  // namespace rt
