#pragma once
// Runtime-internal: the registries behind the control, property and event
// services, and the hop to the window thread.

#include <QCoreApplication>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "runtime/runtime.h"
#include "runtime/window_host.h"

namespace rt::detail {

struct Registry {
    std::map<QString, WindowDesc> descriptions;
    std::map<QString, Handler> handlers;
    std::map<QString, std::unique_ptr<WindowInstance>> loaded;
    // Records of destroyed windows whose widgets await deletion: the host
    // window still points at its record until it is deleted.
    std::vector<std::unique_ptr<WindowInstance>> retired;
    std::vector<std::function<void()>> exitRoutines;
    bool exitRoutinesRan = false;
    QString programDir;
    QString startWindow;
    bool loopRunning = false;
};

Registry& reg();

// Runs fn on the window thread and gives its result; the caller waits.
template <typename T>
T onGuiResult(const std::function<T()>& fn) {
    if (onGui()) return fn();
    T result{};
    onGuiThread([&] { result = fn(); });
    return result;
}

}  // namespace rt::detail
