// Win32 window system: classes, creation and destruction, the default
// procedure, window data, titles, finding and activating windows. Every
// class gets one shared window procedure that calls the class's portable
// procedure (remembered per window in its extra bytes after the first message).
#include <map>
#include <mutex>

#include "platform/window/win32/window_win32.h"
#include "platform/system/win32/wide.h"

namespace platform {
namespace {

std::mutex g_lock;
std::map<ATOM, WNDPROC> g_procs;

WNDPROC ProcOf(::HWND hwnd) {
  auto cached = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, 0));
  if (cached) return cached;
  std::lock_guard<std::mutex> hold(g_lock);
  auto it = g_procs.find(static_cast<ATOM>(GetClassWord(hwnd, GCW_ATOM)));
  if (it == g_procs.end()) return nullptr;
  SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(it->second));
  return it->second;
}

::LRESULT CALLBACK SharedProc(::HWND hwnd, ::UINT message, ::WPARAM wParam, ::LPARAM lParam) {
  WNDPROC proc = ProcOf(hwnd);
  if (!proc) return DefWindowProcW(hwnd, message, wParam, lParam);
  return proc(hwnd, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

}  // namespace

// The structures handed over in lParam are Windows' own.
static_assert(sizeof(CREATESTRUCT) == sizeof(CREATESTRUCTW));
static_assert(sizeof(MINMAXINFO) == sizeof(::MINMAXINFO));
static_assert(sizeof(NCCALCSIZE_PARAMS) == sizeof(::NCCALCSIZE_PARAMS));
static_assert(sizeof(WINDOWPOS) == sizeof(::WINDOWPOS));

bool RegisterClass(const WNDCLASS& wc) {
  if (wc.lpszClassName.empty() || !wc.lpfnWndProc) return false;
  WNDCLASSEXW native{};
  native.cbSize = sizeof native;
  native.style = wc.style;
  native.lpfnWndProc = SharedProc;
  native.cbWndExtra = sizeof(LONG_PTR);
  native.hInstance = GetModuleHandleW(nullptr);
  native.hCursor = wc.hCursor ? reinterpret_cast<::HCURSOR>(const_cast<TCursor*>(wc.hCursor))
                              : LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  native.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  native.lpszClassName = win32::W(wc.lpszClassName);
  std::lock_guard<std::mutex> hold(g_lock);
  ATOM atom = RegisterClassExW(&native);
  if (!atom) return false;
  g_procs[atom] = wc.lpfnWndProc;
  return true;
}

HWND CreateWindowEx(DWORD exStyle, std::u16string_view className, std::u16string_view title, DWORD style,
                    int x, int y, int width, int height, HWND owner, void* createParam) {
  std::u16string classText(className), titleText(title);
  return CreateWindowExW(exStyle, win32::W(classText), win32::W(titleText), style, x, y, width, height, owner,
                         nullptr, GetModuleHandleW(nullptr), createParam);
}

bool DestroyWindow(HWND hwnd) { return ::DestroyWindow(hwnd) != 0; }

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool IsWindow(HWND hwnd) { return ::IsWindow(hwnd) != 0; }

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) { return GetWindowLongPtrW(hwnd, index); }

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
  return SetWindowLongPtrW(hwnd, index, value);
}

HWND GetWindow(HWND hwnd, UINT relation) { return ::GetWindow(hwnd, relation); }

bool SetWindowText(HWND hwnd, std::u16string_view text) {
  std::u16string copy(text);
  return SetWindowTextW(hwnd, win32::W(copy)) != 0;
}

std::u16string GetWindowText(HWND hwnd) {
  std::u16string text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, u'\0');
  int length = GetWindowTextW(hwnd, win32::WBuffer(text), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(length > 0 ? length : 0));
  return text;
}

std::u16string GetClassName(HWND hwnd) {
  std::u16string name(257, u'\0');
  int length = GetClassNameW(hwnd, win32::WBuffer(name), static_cast<int>(name.size()));
  name.resize(static_cast<size_t>(length > 0 ? length : 0));
  return name;
}

HWND FindWindow(std::u16string_view className) {
  std::u16string copy(className);
  return FindWindowW(win32::W(copy), nullptr);
}

bool SetForegroundWindow(HWND hwnd) { return ::SetForegroundWindow(hwnd) != 0; }
bool HasUserDisplay() { return true; }

}  // namespace platform
