// Windows code page: WideCharToMultiByte / MultiByteToWideChar with the
// thread's ANSI code page (CP_THREAD_ACP). Covers WideToAnsi and AnsiToWide.
#include <windows.h>

#include "platform/system/codepage.h"
#include "platform/system/win32/wide.h"

namespace platform {

std::string WideToAnsi(std::u16string_view text) {
  if (text.empty()) return {};
  const wchar_t* wide = win32::WData(text);
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_THREAD_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size : 0, '\0');
  if (size > 0) WideCharToMultiByte(CP_THREAD_ACP, 0, wide, length, out.data(), size, nullptr, nullptr);
  return out;
}

std::u16string AnsiToWide(std::string_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), length, nullptr, 0);
  std::u16string out(size > 0 ? size : 0, u'\0');
  if (size > 0) {
    MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), length, win32::WBuffer(out), size);
  }
  return out;
}

}  // namespace platform
