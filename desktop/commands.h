#pragma once
// What other copies, the command line and the end notice ask of the
// running program, done through the main window's own buttons and boxes.

#include "desktop/command_line.h"

namespace zorvik::desktop {

// Carries out request once the main window is up (at once when it is) and
// answers it.
void carryOut(const Request& request, Reply reply);
// The run that ended, once more: its duration in the time boxes if they
// now say otherwise, then 开始. A run under way is left alone and its
// window shown instead.
void startAgain();

}  // namespace zorvik::desktop
