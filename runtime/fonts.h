#pragma once
// Font faces as the windows name them, with fallbacks for systems that
// lack the Windows faces.

#include <QFont>
#include <QStringList>
#include <QVariantMap>

#include "runtime/window_desc.h"

class QWidget;

namespace rt {

// Families to try for a stored face name; an empty face is the system
// default face. The CJK fallback keeps Chinese text from showing as boxes.
QStringList fontFamiliesFor(const QString& face);
// The system default GUI font as the windows were designed for: a 12 px
// Chinese UI face. Applied once at start-up.
void useDefaultUiFont();
QFont makeFont(const QString& face, int pixelSize, bool bold = false, bool underline = false);
// Applies fontPx, fontFace, bold and underline of a control description.
void applyFont(QWidget* widget, const QVariantMap& props);
void applyMenuSkin(QWidget* menuWidget, const MenuSkin& skin);

}  // namespace rt
