#include "runtime/media.h"

#include <QMetaObject>
#include <QThread>

#include "runtime/media_player.h"
#include "runtime/runtime.h"

namespace rt {

namespace {

// The player lives on the window thread; speech delivery calls in from a
// worker thread and must wait for the answer. A blocking queued call is
// served by the window thread's responsive waits, so it cannot deadlock
// while that thread waits for its timer.
template <typename Result, typename Fn>
Result onPlayerThread(MediaPlayerControl& player, Fn fn) {
    if (player.thread() == QThread::currentThread()) return fn();
    Result result{};
    QMetaObject::invokeMethod(
        &player, [&] { result = fn(); }, Qt::BlockingQueuedConnection);
    return result;
}

MediaPlayerControl* findPlayer(const QString& window, const QString& control) {
    return qobject_cast<MediaPlayerControl*>(controlObject(window, control));
}

}  // namespace

bool mediaOpen(MediaPlayerControl& player, const QString& file) {
    return onPlayerThread<bool>(player, [&] { return player.open(file); });
}

bool mediaPlay(MediaPlayerControl& player, int position) {
    return onPlayerThread<bool>(player, [&] { return player.play(position); });
}

int mediaLength(MediaPlayerControl& player) {
    return onPlayerThread<int>(player, [&] { return player.lengthSeconds(); });
}

bool mediaOpen(const QString& window, const QString& control, const QString& file) {
    auto* player = findPlayer(window, control);
    return player && mediaOpen(*player, file);
}

bool mediaPlay(const QString& window, const QString& control, int position) {
    auto* player = findPlayer(window, control);
    return player && mediaPlay(*player, position);
}

int mediaLength(const QString& window, const QString& control) {
    auto* player = findPlayer(window, control);
    return player ? mediaLength(*player) : 0;
}

}  // namespace rt
