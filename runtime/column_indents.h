#pragma once
// Texts written for a Chinese fixed-pitch face line their lines up with
// spaces, counting a Chinese character as two columns and a space as one.
// In a proportional face those spaces fall short; here a line that begins
// with spaces starts where its column falls in the nearest line above it
// that does not begin with one. The text itself keeps its spaces.

class QPlainTextEdit;

namespace rt {

// Lines box's text up so, now and whenever the box's font changes.
void keepColumnIndents(QPlainTextEdit* box);

}  // namespace rt
