#pragma once

namespace zorvik {

// Registers windows and handlers; safe to call more than once.
void assembleProgram();
// The start routine: prepares the program and runs it until the main
// window is destroyed. Returns the exit code.
int startProgram();

}  // namespace zorvik
