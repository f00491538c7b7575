#pragma once
// The help window: the user manual in one read-only text box.

#include <QString>

#include "runtime/window_desc.h"

namespace zorvik {

rt::WindowDesc helpWindowDescription();

// The manual: 21 lines joined by CR LF, no line break after the last.
QString helpText();

}  // namespace zorvik
