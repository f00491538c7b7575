#pragma once

namespace zorvik {

// Binds the panel toggles, the command switch, the stay-on-top switch and
// the re-layout on resize.
void registerPanelHandlers();
// The compact window: every panel closed.
void resetPanels();
// Re-centres the footer and stretches the divider to the client width.
void relayoutMainWindow();

}  // namespace zorvik
