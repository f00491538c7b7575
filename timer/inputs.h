#pragma once

namespace zorvik {

// Binds the engine's and the inputs' handlers by the names the main
// window's description uses.
void registerTimerHandlers();

}  // namespace zorvik
