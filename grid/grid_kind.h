#pragma once

namespace rt {

// Lets windows hold grids (Kind::Grid): once, before the first such window
// is loaded.
void registerGridKind();

}  // namespace rt
