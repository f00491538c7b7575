#pragma once
// `zorvik --history`: the counted time of today, this week and all, from
// "计时记录.csv", printed without a window.

namespace zorvik::desktop {

// Needs no application object; makes the one it reads with. Returns the
// exit code.
int printHistory(int argc, char** argv);

}  // namespace zorvik::desktop
