// POSIX code page: the narrow encoding is UTF-8, so ANSI conversion is UTF-8
// conversion. Covers WideToAnsi and AnsiToWide; no other code pages.
#include "common/text.h"
#include "platform/system/codepage.h"

namespace platform {

std::string WideToAnsi(std::u16string_view text) { return Utf16ToUtf8(text); }

std::u16string AnsiToWide(std::string_view text) { return Utf8ToUtf16(text); }

}  // namespace platform
