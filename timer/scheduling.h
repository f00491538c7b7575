#pragma once
// Reminder scheduling: once per pass, decides whether a reminder is due.

#include <QtGlobal>

namespace zorvik {

// The seconds a row's minutes stand for: the product with 60, taken as the
// whole second it is when it is one within the float's precision, else
// truncated.
qint32 rowSeconds(float minutes);
// The seconds of an interval when they are a whole number within the
// float's precision (the same rule as rows); 0, never due, otherwise.
qint32 intervalWholeSeconds(float seconds);

// One reminder every N minutes of counted time.
void intervalStep();
// The rows of the custom reminder table, worked through top to bottom.
void customStep();

}  // namespace zorvik
