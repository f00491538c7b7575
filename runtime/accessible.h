#pragma once
// What the runtime's own drawn controls tell assistive technology (a
// screen reader on the accessibility bus): a transparent label is a label
// named by its caption, or an alert when its appearance is news; a
// separator bar is a separator. Qt's own controls speak for themselves.

namespace rt {

// Installs the interfaces once; every label and bar constructor calls it.
void installAccessibleKinds();

}  // namespace rt
