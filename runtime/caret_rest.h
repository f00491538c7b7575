#pragma once
// A blinking caret wakes the program twice a second for as long as a box
// has the keyboard, which for a timer left open all day is all day. As on
// the GNOME desktop, the caret blinks for a while after the last key press,
// click or change of focus and then stays lit, still where it was.

#include <chrono>

namespace rt {

void restCaretWhenIdle(std::chrono::milliseconds after = std::chrono::seconds(10));

}  // namespace rt
