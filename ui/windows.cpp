#include "ui/windows.h"

#include "runtime/runtime.h"

namespace zorvik {

void registerWindows() { rt::registerWindow(mainWindowDescription()); }

}  // namespace zorvik
