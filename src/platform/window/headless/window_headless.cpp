// Headless window backend: windows are in-process records with a canvas each
// (what was last presented), on one fixed monitor. Implements: presentation
// (opaque and per-pixel alpha with constant opacity), the screen as the
// windows composited in stacking order over a black desktop (regions clip,
// layered pixels blend), input injected by tests and routed to the window
// under the pointer (regions and fully transparent layered pixels let it
// through), waiting on the thread's wake descriptor, a monitor whose DPI tests
// change (the calling thread's windows get WM_DPICHANGED). Does not implement:
// windows of other processes (FindWindow finds only this process's windows),
// cursor shapes, a window manager (the core drags captions itself).
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <deque>

#include "platform/window/core/window_backend.h"
#include "platform/window/window_messages.h"

namespace platform::posix {
namespace {

struct TCanvas {
  std::vector<uint32_t> pixels;  // premultiplied BGRA, window size
  int width = 0;
  int height = 0;
  BYTE opacity = 255;
};

TCanvas& CanvasOf(TWindow& window) { return *static_cast<TCanvas*>(window.native); }

bool IsLayered(const TWindow& window) { return (window.exStyle & WS_EX_LAYERED) != 0; }

// Source over destination, both premultiplied; src scaled by opacity first.
uint32_t Over(uint32_t src, uint32_t dst, BYTE opacity) {
  uint32_t out = 0;
  uint32_t srcAlpha = ((src >> 24) * opacity + 127) / 255;
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t s = (((src >> shift) & 0xFF) * opacity + 127) / 255;
    uint32_t d = (dst >> shift) & 0xFF;
    out |= std::min<uint32_t>(255, s + (d * (255 - srcAlpha) + 127) / 255) << shift;
  }
  return out;
}

class CHeadlessBackend final : public IWindowBackend, public IWindowTestInput {
 public:
  const char* GetName() const override { return "headless"; }

  HWND CreateNative(TWindow& window) override {
    window.native = new TCanvas;
    Resize(window);
    return reinterpret_cast<HWND>(m_nextHandle.fetch_add(4));
  }
  void DestroyNative(TWindow& window) override {
    delete static_cast<TCanvas*>(window.native);
    window.native = nullptr;
  }
  void ApplyVisibility(TWindow&, bool) override {}
  void ApplyPlacement(TWindow& window) override { Resize(window); }
  void ApplySizeLimits(TWindow&) override {}
  void ApplyStacking(TWindow&, HWND) override {}
  void ApplyTitle(TWindow&) override {}
  void ApplyIcons(TWindow&) override {}
  void ApplyLayered(TWindow& window) override { Resize(window); }
  void ApplyRegion(TWindow&) override {}
  void ApplyCursor(TWindow&, HCURSOR) override {}
  void ApplyCapture(TWindow*) override {}
  void ApplyFocus(TWindow&) override {}

  bool Present(TWindow& window, const TBitmapView& bitmap, const RECT& rect) override {
    TCanvas& canvas = CanvasOf(window);
    for (int y = rect.top; y < rect.bottom; ++y)
      for (int x = rect.left; x < rect.right; ++x)
        canvas.pixels[y * canvas.width + x] = bitmap.pixels[y * bitmap.stride + x] | 0xFF000000;
    return true;
  }
  bool PresentLayered(TWindow& window, const TBitmapView& bitmap, BYTE opacity, const RECT& dirty) override {
    TCanvas& canvas = CanvasOf(window);
    canvas.opacity = opacity;
    const int right = std::min(dirty.right, canvas.width);
    for (int y = dirty.top; y < std::min(dirty.bottom, canvas.height) && right > dirty.left; ++y)
      std::copy_n(bitmap.pixels + y * bitmap.stride + dirty.left, right - dirty.left,
                  canvas.pixels.begin() + y * canvas.width + dirty.left);
    return true;
  }
  bool BeginCaptionDrag(TWindow&, POINT) override { return false; }
  bool IsComposited() override { return m_composited.load(); }

  std::vector<TMonitorInfo> GetMonitors() override {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_monitors;
  }
  bool GetPointer(POINT* screen) override {
    *screen = LastCursor();
    return true;
  }
  void Pump() override {
    TThreadQueue& queue = *CurrentQueue();
    while (queue.input.empty() && !m_raw.empty()) {
      TRawInput raw = m_raw.front();
      m_raw.pop_front();
      Translate(raw);
    }
  }
  bool Wait(int wakeFd, int64_t timeoutNs) override {
    pollfd wake{wakeFd, POLLIN, 0};
    return PollFor(&wake, 1, timeoutNs) > 0 && (wake.revents & POLLIN);
  }

  HWND FindForeign(std::u16string_view) override { return nullptr; }
  bool IsForeign(HWND) override { return false; }
  bool ForeignIsVisible(HWND) override { return false; }
  bool ForeignIsZoomed(HWND) override { return false; }
  bool ForeignIsIconic(HWND) override { return false; }
  bool ForeignShow(HWND, int) override { return false; }
  bool Activate(HWND) override { return true; }
  bool ForeignRect(HWND, RECT*) override { return false; }
  bool ForeignPlace(HWND, const RECT&) override { return false; }

  // The display's own input and screen, as the test driver reaches them.
  bool InjectMotion(POINT screen) override {
    m_pointer = screen;
    return Queue({TRawInput::kMotion, screen});
  }
  bool InjectButton(int button, bool down) override {
    return Queue({TRawInput::kButton, m_pointer, button, down});
  }
  bool InjectWheel(int delta) override { return Queue({TRawInput::kWheel, m_pointer, delta}); }
  bool InjectKey(int virtualKey, bool down) override {
    return Queue({TRawInput::kKey, m_pointer, virtualKey, down});
  }
  void FlushInjected() override {}

  bool CaptureScreen(const RECT& rect, std::vector<uint32_t>* pixels) override {
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    pixels->assign(static_cast<size_t>(width) * height, 0xFF000000);
    auto stacking = WindowsTopFirst();
    for (auto it = stacking.rbegin(); it != stacking.rend(); ++it)
      if (auto window = FindWindowRecord(*it); window && window->visible && !window->iconic)
        Composite(*window, rect, pixels, m_composited.load());
    return true;
  }

  // Returns the DPI the monitor had before.
  UINT SetMonitor(const TMonitorInfo& monitor) {
    std::lock_guard<std::mutex> hold(m_lock);
    const UINT before = m_monitors.front().dpi;
    m_monitors = {monitor};
    return before;
  }
  // True when the setting changed.
  bool SetComposited(bool blended) { return m_composited.exchange(blended) != blended; }

 private:
  static void Resize(TWindow& window) {
    TCanvas& canvas = CanvasOf(window);
    int width = std::max(0, window.rect.right - window.rect.left);
    int height = std::max(0, window.rect.bottom - window.rect.top);
    uint32_t fill = IsLayered(window) ? 0 : 0xFFFFFFFF;  // unpainted: the window background
    std::vector<uint32_t> resized(static_cast<size_t>(width) * height, fill);
    for (int y = 0; y < std::min(height, canvas.height); ++y)
      std::copy_n(canvas.pixels.begin() + y * canvas.width, std::min(width, canvas.width),
                  resized.begin() + y * width);
    canvas.pixels = std::move(resized);
    canvas.width = width;
    canvas.height = height;
  }

  // Without a compositor a layered window's pixels land on the screen as
  // they are, unblended, as an X server shows an ARGB window.
  static void Composite(TWindow& window, const RECT& rect, std::vector<uint32_t>* pixels, bool blended) {
    TCanvas& canvas = CanvasOf(window);
    int width = rect.right - rect.left;
    for (int y = std::max(rect.top, window.rect.top); y < std::min(rect.bottom, window.rect.bottom); ++y) {
      for (int x = std::max(rect.left, window.rect.left); x < std::min(rect.right, window.rect.right); ++x) {
        int wx = x - window.rect.left, wy = y - window.rect.top;
        if (!RegionContains(window.region, wx, wy)) continue;
        uint32_t src = canvas.pixels[wy * canvas.width + wx];
        uint32_t& dst = (*pixels)[(y - rect.top) * width + (x - rect.left)];
        dst = IsLayered(window) && blended ? Over(src, dst, canvas.opacity) | 0xFF000000 : src | 0xFF000000;
      }
    }
  }

  // The topmost window that takes the pointer at screen.
  static HWND WindowAt(POINT screen) {
    for (HWND hwnd : WindowsTopFirst()) {
      auto window = FindWindowRecord(hwnd);
      if (!window || !window->visible || window->iconic || (window->exStyle & WS_EX_TRANSPARENT)) continue;
      const RECT& r = window->rect;
      if (screen.x < r.left || screen.x >= r.right || screen.y < r.top || screen.y >= r.bottom) continue;
      int wx = screen.x - r.left, wy = screen.y - r.top;
      if (!RegionContains(window->region, wx, wy)) continue;
      TCanvas& canvas = CanvasOf(*window);
      if (IsLayered(*window) && (canvas.pixels[wy * canvas.width + wx] >> 24) == 0) continue;
      return hwnd;
    }
    return nullptr;
  }

  // Injected input waits here, raw, until the queue needs it (see Pump).
  struct TRawInput {
    enum { kMotion, kButton, kWheel, kKey } kind;
    POINT at;
    int code = 0;  // button, wheel steps or virtual key
    bool down = false;
  };

  bool Queue(const TRawInput& raw) {
    m_raw.push_back(raw);
    CurrentQueue()->Wake();
    return true;
  }

  static void Translate(const TRawInput& raw) {
    switch (raw.kind) {
      case TRawInput::kMotion:
        OnPointerMotion(WindowAt(raw.at), raw.at);
        break;
      case TRawInput::kButton:
        OnPointerButton(WindowAt(raw.at), raw.at, raw.code, raw.down);
        break;
      case TRawInput::kWheel:
        OnPointerWheel(WindowAt(raw.at), raw.at, raw.code);
        break;
      case TRawInput::kKey:
        OnKey(nullptr, raw.code, raw.down, raw.down ? CharacterOf(raw.code) : 0);
        break;
    }
  }

  static char16_t CharacterOf(int virtualKey) {
    bool shift = (CurrentQueue()->liveKeyState & KEY_SHIFT) != 0;
    if (virtualKey >= 'A' && virtualKey <= 'Z')
      return static_cast<char16_t>(shift ? virtualKey : virtualKey + 32);
    if (virtualKey >= '0' && virtualKey <= '9') return static_cast<char16_t>(virtualKey);
    switch (virtualKey) {
      case VK_SPACE:
        return u' ';
      case VK_RETURN:
        return u'\r';
      case VK_TAB:
        return u'\t';
      case VK_BACK:
        return 8;
      case VK_ESCAPE:
        return 27;
      default:
        return 0;
    }
  }

  std::atomic<uintptr_t> m_nextHandle{0x10000};
  // Test input comes from the thread that owns the windows, like the queue.
  std::deque<TRawInput> m_raw;
  POINT m_pointer;
  std::mutex m_lock;
  std::vector<TMonitorInfo> m_monitors{{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 96}};
  std::atomic<bool> m_composited{true};  // CaptureScreen blends layered windows
};

}  // namespace

std::unique_ptr<IWindowBackend> CreateHeadlessBackend() { return std::make_unique<CHeadlessBackend>(); }

bool SetHeadlessComposition(bool blended) {
  auto* headless = dynamic_cast<CHeadlessBackend*>(&Backend());
  if (!headless) return false;
  if (headless->SetComposited(blended)) OnCompositionChanged();
  return true;
}

bool SetHeadlessMonitor(const RECT& monitor, const RECT& work, UINT dpi) {
  auto* headless = dynamic_cast<CHeadlessBackend*>(&Backend());
  if (!headless) return false;
  const UINT before = headless->SetMonitor({monitor, work, dpi});
  // As a display settings change does on Windows: the windows hear of it.
  OnMonitorDpiChanged(before, dpi);
  return true;
}

}  // namespace platform::posix
