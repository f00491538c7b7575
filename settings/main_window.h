#pragma once

#include <QString>

namespace zorvik {

// The name every routine addresses the main window and its controls by.
inline const QString kMainWindow = QStringLiteral("主窗口");

}  // namespace zorvik
