#include "skinui/window/native_window.h"

#include "platform/window/window_messages.h"

using namespace platform;

CNativeWindow::~CNativeWindow() {
  // A window outliving its object would call into freed memory.
  if (m_hWnd != nullptr && IsWindow(m_hWnd)) {
    SetWindowLongPtr(m_hWnd, GWLP_USERDATA, 0);
    DestroyWindow(m_hWnd);
  }
}

HWND CNativeWindow::Create(std::u16string_view className, UINT classStyle, HWND owner,
                           std::u16string_view title, DWORD style, DWORD exStyle, const RECT* bounds) {
  WNDCLASS wc;
  wc.style = classStyle;
  wc.lpfnWndProc = GetWindowProc();
  wc.hCursor = LoadCursor(IDC_ARROW);
  wc.lpszClassName = std::u16string(className);
  (void)RegisterClass(wc);  // false when a window of this kind registered it already
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = CW_USEDEFAULT, height = CW_USEDEFAULT;
  if (bounds != nullptr) {
    x = bounds->left;
    y = bounds->top;
    width = bounds->right - bounds->left;
    height = bounds->bottom - bounds->top;
  }
  return CreateWindowEx(exStyle, className, title, style, x, y, width, height, owner, this);
}

LRESULT CNativeWindow::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<CNativeWindow*>(GetWindowLongPtr(hWnd, GWLP_USERDATA));
  if (self == nullptr && uMsg == WM_NCCREATE) {
    // The object comes with the creation parameters; from here on the
    // window carries it.
    self = static_cast<CNativeWindow*>(reinterpret_cast<CREATESTRUCT*>(lParam)->lpCreateParams);
    self->m_hWnd = hWnd;
    SetWindowLongPtr(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (self == nullptr) return DefWindowProc(hWnd, uMsg, wParam, lParam);
  const MSG previous = self->m_currentMessage;
  self->m_currentMessage = MSG{hWnd, uMsg, wParam, lParam, GetTickCount(), {}, 0};
  LRESULT result = 0;
  if (!self->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, result, 0)) {
    result = DefWindowProc(hWnd, uMsg, wParam, lParam);
  }
  self->m_currentMessage = previous;
  if (uMsg == WM_NCDESTROY) {
    SetWindowLongPtr(hWnd, GWLP_USERDATA, 0);
    self->m_hWnd = nullptr;
    self->OnFinalMessage(hWnd);
  }
  return result;
}
