// Where the programs load DLLs from. They are started from discs and shares
// that others can write to, with administrator rights, so a DLL is loaded
// from the system folder alone, never from the program's own folder or the
// current one.
#pragma once

// Restricts the DLL search of the process to the system folder. The first
// thing each program does; DLLs the program imports are restricted the same
// way by the load configuration linked in with this function.
void RestrictDllSearchToSystem() noexcept;
