// The program's own file and the user's application-data folder.
#pragma once

#include <string>

namespace platform {

// Full file name of the module holding the program's code; empty when unknown.
std::u16string GetProgramFilePath();
// The user's application-data folder (CSIDL_APPDATA), without a trailing
// separator; empty when unknown. POSIX: $XDG_DATA_HOME, else ~/.local/share.
std::u16string GetAppDataFolder();

}  // namespace platform
