#pragma once
// Starts the local speech service that ships beside the program, for when
// the speech address refuses connections because nothing listens there yet.

#include <QObject>
#include <functional>

namespace rt {

inline constexpr int kLocalSpeechPort = 17388;

// When "zorvik-speech" sits in the program directory, starts it detached on
// port and calls done(true) once the port accepts connections, done(false)
// when there is nothing to start or nothing listens within 5 s on the
// clock. done runs later, on the window thread, and not at all once
// context is gone.
void startLocalSpeechService(int port, QObject* context, std::function<void(bool)> done);

}  // namespace rt
