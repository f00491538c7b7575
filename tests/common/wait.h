#pragma once
// Waiting in tests for what happens in real time (sockets, the media
// backend): a local event loop that checks the condition as events come.
// The media backend posts its progress to the loop that waits, so a loop
// that only polls between sleeps makes an open take most of a second.

#include <QEventLoop>
#include <QTimer>
#include <functional>

#include "media/media_backend.h"
#include "media/sound.h"

namespace zt {

inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    if (done()) return true;
    QEventLoop loop;
    QTimer poll, limit;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start(1);
    limit.start(timeoutMs);
    loop.exec();
    return done();
}

// Lets real time pass with events flowing.
inline void pause(int ms) {
    waitUntil([] { return false; }, ms);
}

// Lets the media backend quiet down (sounds stopped, players let go of and
// their pipelines gone) so that nothing of it is still working when the
// test, or the test program, ends.
inline void letMediaSettle() {
    rt::stopSound();
    waitUntil([] { return rt::detail::mediaPlayersAlive() == 0; }, 3000);
}

}  // namespace zt
