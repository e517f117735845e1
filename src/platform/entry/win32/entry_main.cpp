// Windows entry point of the GUI program.
#include <windows.h>

#include "platform/entry/program_entry.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return ProgramMain(); }
