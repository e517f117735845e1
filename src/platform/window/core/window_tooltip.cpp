// POSIX tooltip window: an undecorated, topmost, disabled popup of our own
// class that draws its text (wrapped at a maximum width) with the platform's
// text renderer on the tooltip colours. Windows uses the common control.
#include <algorithm>
#include <memory>

#include "platform/window/core/window_core.h"
#include "platform/text/text_renderer.h"
#include "platform/window/window_messages.h"

namespace platform::posix {
namespace {

constexpr char16_t kClassName[] = u"tooltips_class32";
constexpr uint32_t kBackground = 0xFFFFFFE1;  // COLOR_INFOBK
constexpr uint32_t kBorder = 0xFF767676;
constexpr int kPadding = 4;

struct TToolTip {
  std::shared_ptr<ITextFont> font;
  std::vector<std::u16string> lines;
  std::vector<uint32_t> pixels;
};

TToolTip* Data(HWND hwnd) { return reinterpret_cast<TToolTip*>(GetWindowLongPtr(hwnd, GWLP_USERDATA)); }

// Greedy wrapping at maxWidth pixels (0: only at line breaks).
std::vector<std::u16string> WrapLines(const ITextFont& font, std::u16string_view text, int maxWidth) {
  std::vector<std::u16string> lines(1);
  for (char16_t c : text) {
    if (c == u'\n') {
      lines.emplace_back();
      continue;
    }
    if (c == u'\r') continue;
    std::u16string wider = lines.back() + c;
    if (maxWidth > 0 && !lines.back().empty() && font.MeasureRun(wider) > maxWidth)
      lines.emplace_back(1, c);
    else
      lines.back() = std::move(wider);
  }
  return lines;
}

void Paint(HWND hwnd, TToolTip& tip) {
  RECT client;
  GetClientRect(hwnd, &client);
  int width = client.right, height = client.bottom;
  tip.pixels.assign(static_cast<size_t>(std::max(width, 0)) * std::max(height, 0), kBackground);
  for (int x = 0; x < width; ++x) tip.pixels[x] = tip.pixels[(height - 1) * width + x] = kBorder;
  for (int y = 0; y < height; ++y) tip.pixels[y * width] = tip.pixels[y * width + width - 1] = kBorder;
  TTextTarget target{tip.pixels.data(), width, height, width, 1, 1, width - 1, height - 1};
  int lineHeight = tip.font->GetMetrics().height;
  for (size_t i = 0; i < tip.lines.size(); ++i)
    tip.font->DrawRun(target, kPadding, kPadding + static_cast<int>(i) * lineHeight, tip.lines[i], 0x000000);
  PresentPixels(hwnd, {tip.pixels.data(), width, height, width}, client);
}

LRESULT ToolTipProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  TToolTip* tip = Data(hwnd);
  if (message == WM_PAINT && tip) {
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    Paint(hwnd, *tip);
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (message == WM_NCHITTEST) return HTTRANSPARENT;
  if (message == WM_NCDESTROY) delete tip;
  return DefWindowProc(hwnd, message, wParam, lParam);
}

bool RegisterToolTipClass() {
  static const bool registered = [] {
    WNDCLASS wc;
    wc.lpfnWndProc = ToolTipProc;
    wc.lpszClassName = kClassName;
    return RegisterClass(wc);
  }();
  return registered;
}

}  // namespace
}  // namespace platform::posix

namespace platform {

HWND CreateToolTipWindow(HWND owner) {
  if (!posix::RegisterToolTipClass()) return nullptr;
  HWND hwnd = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, posix::kClassName, u"",
                             WS_POPUP | WS_DISABLED, 0, 0, 1, 1, owner, nullptr);
  if (!hwnd) return nullptr;
  auto* tip = new posix::TToolTip;
  tip->font = CreateTextFont({u"微软雅黑", 12});
  SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(tip));
  return hwnd;
}

bool ShowToolTip(HWND tooltip, std::u16string_view text, POINT point, int maxWidth) {
  posix::TToolTip* tip = posix::Data(tooltip);
  if (!tip || !tip->font) return false;
  tip->lines = posix::WrapLines(*tip->font, text, maxWidth);
  int width = 0;
  for (const auto& line : tip->lines) width = std::max(width, tip->font->MeasureRun(line));
  width += 2 * posix::kPadding;
  int height = static_cast<int>(tip->lines.size()) * tip->font->GetMetrics().height + 2 * posix::kPadding;
  MONITORINFO info;
  GetMonitorInfo(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info);
  int x = std::max(info.rcWork.left, std::min(point.x, info.rcWork.right - width));
  int y = point.y + 20 + height <= info.rcWork.bottom ? point.y + 20 : point.y - height - 2;
  SetWindowPos(tooltip, HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  return InvalidateRect(tooltip, nullptr, false);
}

bool HideToolTip(HWND tooltip) {
  return posix::Data(tooltip) &&
         SetWindowPos(tooltip, nullptr, 0, 0, 0, 0,
                      SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace platform
