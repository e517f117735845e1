// The one seam between the program's UTF-16 strings and the wchar_t of the
// Windows API (both are UTF-16 on Windows).
#pragma once

#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wchar_t is UTF-16");

namespace platform::win32 {

inline const wchar_t* W(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// The characters of a run that need not end with a terminator; pass its
// length along.
inline const wchar_t* WData(std::u16string_view text) {
  return reinterpret_cast<const wchar_t*>(text.data());
}

// A string's characters as a buffer the API writes into.
inline wchar_t* WBuffer(std::u16string& text) { return reinterpret_cast<wchar_t*>(text.data()); }

inline std::u16string U(const wchar_t* text) {
  return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}

inline std::u16string U(const wchar_t* text, size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace platform::win32
