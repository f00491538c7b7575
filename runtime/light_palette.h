#pragma once
// The windows were drawn for the light system colours of Windows: black
// captions and digits on a light grey face, white boxes, group boxes of
// their own light grey. A dark desktop theme would darken some of those
// surfaces and lighten some texts but not others, leaving black digits on
// dark grey and light captions on light group boxes, so the program keeps
// one light palette whatever the theme.

namespace rt {

// Makes the light palette the application's, for every window and dialog it
// shows. Applied once at start-up.
void useLightPalette();

}  // namespace rt
