#pragma once
// The program that starts the service hands it its secret on standard input
// and keeps that pipe open for as long as it wants the service. The secret
// so never shows on a command line, and the pipe's end tells the service
// its owner has gone, however it went.

#include <QByteArray>
#include <functional>
#include <optional>

namespace speech {

// The first line of standard input without its line end; nullopt when the
// input ends first, or the line is empty, too long or holds blanks or
// control characters.
std::optional<QByteArray> readSecretLine();
// Calls gone, on a thread of its own, once standard input has ended.
void watchInputEnd(std::function<void()> gone);

}  // namespace speech
