#include "app/program.h"

#include "runtime/runtime.h"

namespace zorvik {

void assembleProgram() {}

int startProgram() {
    assembleProgram();
    return rt::runMessageLoop(QStringLiteral("主窗口"));
}

}  // namespace zorvik
