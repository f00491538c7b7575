#pragma once
// What a desktop expects around the main window: one copy per settings
// folder, a tray icon, a sleep block while a run counts and attention at
// its end.

#include <optional>

#include "desktop/command_line.h"

class QObject;

namespace zorvik::desktop {

// Before the main window: names the application, checks that "配置.ini"
// can be read and written, and takes the single-copy lock. False when this
// copy must not go on (another copy was handed the request, or GBK text
// cannot be handled): the event loop then ends by itself, with exit code
// 0 when the request was carried out, 1 when the other copy did not
// answer and 2 when it refused. The first copy carries out request itself
// once its window is up.
bool settle(const std::optional<Request>& request = std::nullopt);

// Whether a window can be opened: a display server to reach, or a
// platform that needs none. arguments: the command line without the
// program's name.
bool displayAvailable(const QStringList& arguments);
// Without a display a command (or a plain start) is for the copy that
// runs: hands it over and returns the exit code once the answer came
// (runs the event loop of the QCoreApplication that exists by then); 1
// with a word on standard error when no copy runs.
int handOverWithoutDisplay(const std::optional<Request>& request);

// Follows the engine from now on: tray, sleep block, attention. Returns
// the object that holds them (parented to the application).
QObject* integrate();

}  // namespace zorvik::desktop
