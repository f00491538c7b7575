#pragma once
// The menu bar's skin: the stored colours and font on the bar and its
// drop-downs.

#include "runtime/window_desc.h"

class QWidget;

namespace rt {

void applyMenuSkin(QWidget* menuWidget, const MenuSkin& skin);

}  // namespace rt
