// The process environment.
#pragma once

#include <optional>
#include <string>

namespace platform {

// The value of an environment variable, when set.
std::optional<std::u16string> ReadEnvironmentVariable(const char* name);

// Text with every %NAME% replaced by that variable's value, as Windows
// expands a REG_EXPAND_SZ (ExpandEnvironmentStringsW): a name that is not set
// stays as written, "%" signs included. POSIX reads the same %NAME% form, so
// a value means the same on both. Empty when the expansion fails.
std::u16string ExpandEnvironmentText(const std::u16string& text);

}  // namespace platform
