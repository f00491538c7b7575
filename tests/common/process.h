#pragma once
// The processes the program starts (the interpreter, what its commands
// start, the speech service), as the tests look at them from outside.

#include <QtGlobal>

namespace zt {

// False once the process has ended, also while its parent has not yet
// collected it.
bool processAlive(qint64 pid);
// Ends it at once, as a crash would.
void killProcess(qint64 pid);

}  // namespace zt
