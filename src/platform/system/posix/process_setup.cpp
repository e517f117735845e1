// POSIX process preparation: only the locale has a counterpart; the debug
// privilege, COM and the common controls do not exist here and succeed.
#include <clocale>

#include "platform/system/process_setup.h"

namespace platform {

bool EnableDebugPrivilege() { return true; }

bool InitComponentModel() { return true; }

void UninitComponentModel() {}

void SetAnsiLocale() { std::setlocale(LC_ALL, ""); }

void InitCommonControls() {}

}  // namespace platform
