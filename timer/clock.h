#pragma once
// The clock seam lives in the runtime, so that every layer's waits (media
// opens, HTTP deadlines, the settings pause) run on the same clock as the
// timer's passes and tests drive them all in virtual time.

#include "runtime/clock.h"

namespace zorvik {

using rt::Clock;
using rt::clock;
using rt::ManualClock;
using rt::setClock;
using rt::SteadyClock;

}  // namespace zorvik
