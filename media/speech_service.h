#pragma once
// The program's own speech service: the "zorvik-speech" that ships with the
// program, started as a child of the program when a clip needs one. It
// listens on a port the system picks and serves only requests that carry
// the secret made for that start, so no other user or program on the
// machine hears the reminders or speaks in the service's place.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace rt {

struct OwnSpeechService {
    QString base;       // "http://127.0.0.1:PORT"
    QByteArray secret;  // to send as "Authorization: Bearer <secret>"
};

// Calls done with the service once it listens: the one running, or a new
// one when none runs (it leaves by itself when idle, or died). done gets
// nothing when there is no service to start, or it does not come up within
// 5 s on the clock. done runs later, on the window thread, and not at all
// once context is gone. The service ends with the program.
void useOwnSpeechService(QObject* context,
                         std::function<void(std::optional<OwnSpeechService>)> done);
// Ends the service now, if one runs; the next use starts a new one.
void stopOwnSpeechService();

}  // namespace rt
