// Existence checks and folder creation by path.
#pragma once

#include <string>

namespace platform {

// True when a file or folder exists at path (PathFileExistsW).
bool PathExists(const std::u16string& path);
// Creates one folder; false when it could not be created.
bool MakeDirectory(const std::u16string& path);

}  // namespace platform
