#pragma once
// A one-file program is the player with a script inside it, kept as a resource of
// its own: type RCDATA (10), number 1, language neutral (0), holding the bytes of
// the project file unchanged. A player that carries one shows it and never looks
// for a main.dlg; the player without one (run.exe) reads the main.dlg beside it.

namespace script {

inline constexpr unsigned short kCarriedScriptType = 10;  // RCDATA: raw bytes
inline constexpr unsigned short kCarriedScriptNumber = 1;

}  // namespace script
