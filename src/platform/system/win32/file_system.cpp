// Windows existence checks (PathFileExistsW) and folder creation (_wmkdir).
#include <windows.h>
#include <shlwapi.h>

#include <direct.h>

#include "platform/system/file_system.h"
#include "platform/system/win32/wide.h"

namespace platform {

bool PathExists(const std::u16string& path) { return !path.empty() && PathFileExistsW(win32::W(path)); }

bool MakeDirectory(const std::u16string& path) { return _wmkdir(win32::W(path)) == 0; }

}  // namespace platform
