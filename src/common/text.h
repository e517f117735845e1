// Text conversion between the program's UTF-16 strings and UTF-8.
// ANSI (code-page) conversion belongs to the platform: see platform/system/codepage.h.
#pragma once

#include <string>
#include <string_view>

// Converts UTF-16 to UTF-8. Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Converts UTF-8 to UTF-16. Malformed sequences become U+FFFD, one per bad byte.
std::u16string Utf8ToUtf16(std::string_view text);
// The same into out, which must hold text.size() units (UTF-8 never needs
// more); returns the number written.
size_t Utf8ToUtf16(std::string_view text, char16_t* out);

// ASCII-only case folding, as the program's name comparisons need.
char16_t AsciiToLower(char16_t c);
char AsciiToLower(char c);
bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b);
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

// Formats an integer in decimal as UTF-16.
std::u16string ToU16(long long value);
