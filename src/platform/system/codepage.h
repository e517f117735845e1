// Conversion between UTF-16 and the system's narrow ("ANSI") code page.
// On Windows that is CP_ACP / CP_THREAD_ACP; on POSIX the locale's narrow
// encoding, which the program treats as UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Converts to the ANSI code page; characters it cannot hold become '?'.
std::string WideToAnsi(std::u16string_view text);
// Converts from the ANSI code page.
std::u16string AnsiToWide(std::string_view text);

}  // namespace platform
