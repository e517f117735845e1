// The process environment.
#pragma once

#include <optional>
#include <string>

namespace platform {

// The value of an environment variable, when set.
std::optional<std::u16string> ReadEnvironmentVariable(const char* name);

}  // namespace platform
