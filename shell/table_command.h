#pragma once
// The program's one command interpreter and how table rows reach it.

#include <QString>

#include "shell/command_shell.h"

namespace zorvik {

// The program-wide interpreter; it lives as long as the application object.
CommandShell& commandShell();

// Starts the interpreter in the program's folder, its output going to the
// command output box of the main window.
void launchCommandShell();

// Ends the interpreter for good (the main window is going away).
void shutdownCommandShell();

// A table row with a command fell due: heads the output box with the row's
// task line, then types the command (an empty one still sends an empty line).
void runTableCommand(int row, const QString& command);

}  // namespace zorvik
