#pragma once
// One dialog shown as the system's message box, dressed as its line asks: after its
// pause, with its buttons' own captions, closing itself when its time is up and
// telling the seconds left in its title.

#include "player/dialoged.h"

namespace player {

// Waits the dialog's pause, shows its box and waits for the answer. Returns the
// button id of the answer, kTimedOut when the box closed itself, or 0 when no box
// could be shown.
int show_box(const Dialog& dialog);

}  // namespace player
