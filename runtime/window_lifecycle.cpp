// Loading and destroying windows, and the message loop that runs between.

#include <QApplication>
#include <QTimer>

#include "runtime/control_kinds.h"
#include "runtime/first_paint.h"
#include "runtime/registry.h"
#include "runtime/runtime.h"
#include "runtime/window_host.h"

namespace rt {
namespace detail {
namespace {

void purgeRetired() {
    std::erase_if(reg().retired, [](const auto& w) { return w->host.isNull(); });
}

// Nothing the window started may call back once it is gone.
void stopControls(WindowInstance* w) {
    w->showDeadline.cancel();
    for (auto& [name, c] : w->controls) {
        if (const ControlKind* k = controlKind(c.desc.kind); k && k->windowGoing && c.obj)
            k->windowGoing(c.obj);
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

using detail::onGuiResult;
using detail::reg;

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
    // The controls marked "later" are built once the first paint is out.
    if (!w->later.isEmpty() && !w->host->isVisible())
        afterFirstPaint(w->desc.name, w->host, [name = w->desc.name] { completeWindow(name); });
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

void afterFirstPaint(const QString& window, QObject* context, std::function<void()> fn) {
    onGuiThread([&] {
        const detail::WindowInstance* w = detail::findWindow(window);
        if (w && w->host->isVisible()) {
            QTimer::singleShot(0, context, std::move(fn));
            return;
        }
        auto* watch = new FirstPaintFilter(
            [window](const QObject* o) {
                const detail::WindowInstance* shown = detail::findWindow(window);
                return shown && o == shown->host;
            },
            context);
        // One turn later, so the first paint is out before fn runs.
        watch->onPaint = [watch, fn = std::move(fn)] {
            QTimer::singleShot(0, watch, [watch, fn] {
                fn();
                watch->deleteLater();
            });
        };
    });
}

void completeWindow(const QString& window) {
    onGuiThread([&] {
        if (detail::WindowInstance* w = detail::findWindow(window); w && !w->destroying)
            detail::buildLaterControls(w);
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

}  // namespace rt
