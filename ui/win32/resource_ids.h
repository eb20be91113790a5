#pragma once
// The resource id under which a program's .rc file gives the Win32 backend the
// pointing hand of links (its hot spot at the fingertip); without it, links show
// the system's hand. Kept free of <windows.h> so that a resource script can
// include it as it is. Window icons are the program's own: it names them
// (run_program, Form::set_icon).
#define IDC_LINK_HAND 3
