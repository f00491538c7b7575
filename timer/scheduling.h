#pragma once
// Reminder scheduling: once per pass, decides whether a reminder is due.

namespace zorvik {

// One reminder every N minutes of counted time.
void intervalStep();
// The rows of the custom reminder table, worked through top to bottom.
void customStep();

}  // namespace zorvik
