#pragma once
// Resource ids that the programs' .rc files use and the Win32 backend loads. Kept
// free of <windows.h> so that a resource script can include it as it is.

// Window icons: the designer's own and the player's (the build console carries it).
#define IDI_DESIGNER 1
#define IDI_PLAYER 2
// The pointing hand shown over link labels (its hot spot at the fingertip).
#define IDC_LINK_HAND 3
