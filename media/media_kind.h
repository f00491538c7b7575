#pragma once

namespace rt {

// Lets windows hold media players (Kind::MediaPlayer): once, before the
// first such window is loaded.
void registerMediaPlayerKind();

}  // namespace rt
