#pragma once
// Starts the local speech service that ships beside the program, for when
// the speech address refuses connections because nothing listens there yet.

namespace rt {

inline constexpr int kLocalSpeechPort = 17388;

// When "zorvik-speech" sits in the program directory, starts it detached on
// port and waits (keeping events flowing) up to 2 s for the port to accept
// connections. Returns whether something listens there.
bool startLocalSpeechService(int port = kLocalSpeechPort);

}  // namespace rt
