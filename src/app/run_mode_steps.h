// The steps of the start-up sequence and of the run modes that stand on the
// other areas of the program (server client, update dialog, elevated
// relaunch), gathered in one place.
#pragma once

#include <string>

// Reads the identity values from the settings and initialises the server client.
void InitServerClient();
// Reports the start of module with parent 0 (bNoStartBy) or the start-by code.
void SendStartupReport(int module, bool bNoStartBy);
// Whether a user can see the dialog; says why not on stderr (and in the log)
// when no one could.
bool CanShowDialog();
// Creates the update dialog and runs its message loop until it closes.
bool RunMainDialog(bool bAuto);
// Has the program started again with high integrity, with the same arguments.
void RelaunchElevated(const std::u16string& arguments);
