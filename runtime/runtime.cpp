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
#include "runtime/media_player.h"
#include "runtime/window_host.h"

using namespace Qt::StringLiterals;

namespace rt {
namespace {

struct Registry {
    std::map<QString, WindowDesc> descriptions;
    std::map<QString, Handler> handlers;
    std::map<QString, std::unique_ptr<detail::WindowInstance>> loaded;
    // Records of destroyed windows whose widgets await deletion: the host
    // window still points at its record until it is deleted.
    std::vector<std::unique_ptr<detail::WindowInstance>> retired;
    std::vector<std::function<void()>> exitRoutines;
    bool exitRoutinesRan = false;
    QString programDir;
    QString startWindow;
    bool loopRunning = false;
};

Registry& reg() {
    static Registry r;
    return r;
}

QMutex programDirLock;

}  // namespace

namespace detail {

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

namespace {

void purgeRetired() {
    std::erase_if(reg().retired, [](const auto& w) { return w->host.isNull(); });
}

// Nothing the window started may call back once it is gone.
void stopControls(WindowInstance* w) {
    w->showDeadline.cancel();
    for (auto& [name, c] : w->controls) {
        if (auto* player = qobject_cast<MediaPlayerControl*>(c.obj)) player->abandon();
        if (auto* timer = qobject_cast<QTimer*>(c.obj)) timer->stop();
    }
}

}  // namespace

void finishDestroy(const QString& name, bool deferDelete) {
    auto it = reg().loaded.find(name);
    if (it == reg().loaded.end() || it->second->destroying) return;
    WindowInstance* w = it->second.get();
    w->destroying = true;
    dispatch(w, w->desc.events, ev::Destroying, {});
    stopControls(w);
    // Handlers may have loaded other windows meanwhile; this one stayed.
    it = reg().loaded.find(name);
    std::unique_ptr<WindowInstance> owned = std::move(it->second);
    reg().loaded.erase(it);
    if (HostWindow* host = owned->host) {
        host->closingByRequest = true;
        host->hide();
        // A handler of this window may still be on the stack below us (a
        // modal dialog it opened runs the loop we were called from): its
        // widgets go only once it has returned.
        if (owned->handlersRunning > 0)
            owned->deleteWhenIdle = true;
        else if (deferDelete)
            host->deleteLater();
        else
            delete host;
    }
    reg().retired.push_back(std::move(owned));
    purgeRetired();
    if (name == reg().startWindow && reg().loopRunning) QCoreApplication::exit(0);
}

}  // namespace detail

void onGuiThread(const std::function<void()>& fn) {
    if (detail::onGui()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(qApp, fn, Qt::BlockingQueuedConnection);
}

template <typename T>
static T onGuiResult(const std::function<T()>& fn) {
    if (detail::onGui()) return fn();
    T result{};
    QMetaObject::invokeMethod(
        qApp, [&] { result = fn(); }, Qt::BlockingQueuedConnection);
    return result;
}

void registerWindow(const WindowDesc& desc) {
    reg().descriptions[desc.name] = desc;
}

void bindHandler(const QString& name, Handler handler) {
    reg().handlers[name] = std::move(handler);
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

int runMessageLoop(const QString& startWindow) {
    reg().startWindow = startWindow;
    reg().loopRunning = true;
    int code = 0;
    if (loadWindow(startWindow)) code = QApplication::exec();
    reg().loopRunning = false;
    // Nothing of ours is on the stack now: windows destroyed during the
    // loop go before the application does.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    unloadAll();
    runExitRoutines();
    return code;
}

namespace {

void present(detail::WindowInstance* w) {
    w->host->show();
    w->host->raise();
    w->host->activateWindow();
}

}  // namespace

bool loadWindow(const QString& window) {
    return onGuiResult<bool>([&] {
        if (detail::WindowInstance* w = detail::findWindow(window)) {
            if (w->host->isMinimized()) w->host->showNormal();
            w->host->raise();
            w->host->activateWindow();
            return true;
        }
        auto d = reg().descriptions.find(window);
        if (d == reg().descriptions.end()) return false;
        detail::purgeRetired();
        auto inst = std::make_unique<detail::WindowInstance>();
        inst->desc = d->second;
        detail::WindowInstance* w = inst.get();
        reg().loaded[window] = std::move(inst);
        w->host = new detail::HostWindow(w);
        detail::buildMenu(w);
        detail::buildControls(w);
        const WindowDesc& desc = w->desc;
        QPoint at(desc.left, desc.top);
        if (desc.centred)
            at = QPoint((screenWidth() - desc.width) / 2, (screenHeight() - desc.height) / 2);
        w->host->setOuterPos(at);
        // The stored size is where the window starts, not a change of size:
        // nothing may run before its created event.
        w->lastReportedOuter = QSize(desc.width, desc.height);
        w->host->setOuterSize(w->lastReportedOuter);
        // created, then moved, then resized: each only while the window lives.
        auto alive = [&] { return detail::findWindow(window) == w && !w->destroying; };
        w->loading = true;
        for (int event : {ev::Created, ev::Moved, ev::Resized}) {
            if (!alive()) return true;
            w->lastReportedOuter = w->host->outerSize();
            detail::dispatch(w, desc.events, event, {});
        }
        if (!alive()) return true;
        w->loading = false;
        if (w->showDelay.count() <= 0) {
            present(w);
            return true;
        }
        w->showDeadline.start(w->showDelay, [window] {
            if (detail::WindowInstance* x = detail::findWindow(window)) present(x);
        });
        return true;
    });
}

void delayFirstShow(const QString& window, std::chrono::milliseconds by) {
    onGuiThread([&] {
        detail::WindowInstance* w = detail::findWindow(window);
        if (w && w->loading) w->showDelay = std::max(w->showDelay, by);
    });
}

void destroyWindow(const QString& window) {
    // Queued: the destruction happens after the current handler returns.
    onGuiThread([window] {
        QTimer::singleShot(0, qApp, [window] { detail::finishDestroy(window, true); });
    });
}

bool isLoaded(const QString& window) {
    return onGuiResult<bool>([&] { return detail::findWindow(window) != nullptr; });
}

void unloadAll() {
    onGuiThread([] {
        std::vector<QString> names;
        for (auto& [name, w] : reg().loaded) names.push_back(name);
        for (const QString& n : names) detail::finishDestroy(n, false);
        detail::purgeRetired();
    });
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
            QTextCursor cur(e->document());
            cur.movePosition(QTextCursor::End);
            // The document keeps lines, not line-end bytes: CR LF is one break.
            QString lines = text;
            lines.replace(u"\r\n"_s, u"\n"_s);
            cur.insertText(lines);
            e->verticalScrollBar()->setValue(e->verticalScrollBar()->maximum());
        } else if (auto* l = qobject_cast<QLineEdit*>(c->widget)) {
            QSignalBlocker block(l);
            l->setText(l->text() + text);
            l->end(false);
        }
    });
}

bool openCommonDialog(const QString& window, const QString& control) {
    return onGuiResult<bool>([&] {
        detail::ControlEntry* c = detail::requireControl(window, control, false);
        auto* dlg = qobject_cast<CommonDialogControl*>(c->obj);
        detail::WindowInstance* w = detail::findWindow(window);
        return dlg && dlg->open(w ? w->host.data() : nullptr);
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
