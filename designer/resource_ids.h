#pragma once
// The designer's icons among the resources of quillet.exe (quillet.rc): its own,
// which its windows carry, and the player's, which the build console carries.
// Kept free of <windows.h> so that the resource script can include it as it is.

#define IDI_DESIGNER 1
#define IDI_PLAYER 2
