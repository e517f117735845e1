// Win32 test driver: pointer, buttons, the wheel and keys go through
// SendInput (queued like a user's input); screenshots are a BitBlt of the
// screen.
#include "platform/window/win32/window_win32.h"
#include "platform/window/window_test_driver.h"

namespace platform::testing {
namespace {

bool Send(INPUT input) { return SendInput(1, &input, sizeof input) == 1; }

}  // namespace

std::string WindowBackendName() { return "win32"; }

bool MoveMouse(POINT screen) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  // Absolute positions are 0..65535 over the primary screen; rounded up so
  // that the system's scaling back lands on the very pixel.
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  input.mi.dx = (screen.x * 65536 + width - 1) / width;
  input.mi.dy = (screen.y * 65536 + height - 1) / height;
  return Send(input);
}

bool MouseButton(int button, bool down) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  if (button == VK_LBUTTON)
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  else if (button == VK_RBUTTON)
    input.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
  else
    input.mi.dwFlags = down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP;
  return Send(input);
}

bool MouseWheel(int steps) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = MOUSEEVENTF_WHEEL;
  input.mi.mouseData = static_cast<DWORD>(steps * WHEEL_DELTA);
  return Send(input);
}

bool Key(int virtualKey, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = static_cast<WORD>(virtualKey);
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  return Send(input);
}

void FlushInput() {}

bool CaptureScreen(const RECT& rect, std::vector<uint32_t>* pixels) {
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (!pixels || width <= 0 || height <= 0) return false;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, dib);
  bool ok = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != 0;
  GdiFlush();
  if (ok) {
    auto* p = static_cast<uint32_t*>(bits);
    pixels->assign(p, p + static_cast<size_t>(width) * height);
    for (uint32_t& pixel : *pixels) pixel |= 0xFF000000;
  }
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  DeleteObject(dib);
  return ok;
}

bool SetTestMonitor(const RECT&, const RECT&, UINT) { return false; }
bool SetTestComposition(bool) { return false; }

}  // namespace platform::testing
