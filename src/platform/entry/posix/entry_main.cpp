// POSIX entry point of the program. The command line is read back from
// /proc/self/cmdline by the platform layer, so nothing is passed on.
#include "platform/entry/program_entry.h"

int main() { return ProgramMain(); }
