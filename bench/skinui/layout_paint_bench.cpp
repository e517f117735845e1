// Layout and paint of a dialog-shaped tree of 60 controls at 650 x 430 (the
// tree built once; SetPos and DoPaint per iteration) against the floor: a bare
// loop filling the same rectangles on the same canvas.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#include <stb/stb_image_write.h>

#include "common/text.h"
#include "skinui/control/button.h"
#include "skinui/control/label.h"
#include "skinui/control/progress.h"
#include "skinui/manager/paint_manager.h"
#include "skinui/layout/horizontal_layout.h"
#include "skinui/layout/tab_layout.h"
#include "skinui/layout/vertical_layout.h"

namespace {

using namespace SkinUI;

constexpr int kWidth = 650, kHeight = 430;

void Append(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data), size);
}

// A w x h PNG shaded along its columns (with a translucent two-pixel edge when
// asked), written to the bench's folder; returns its path.
std::u16string WritePng(const std::string& name, int w, int h, uint32_t argb, bool translucentEdge) {
  std::vector<uint8_t> rgba;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      bool edge = translucentEdge && (x < 2 || y < 2 || x >= w - 2 || y >= h - 2);
      uint32_t shade = static_cast<uint32_t>(x * 255 / std::max(1, w - 1));
      rgba.insert(rgba.end(), {static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(shade),
                               static_cast<uint8_t>(argb), static_cast<uint8_t>(edge ? 0x60 : 0xFF)});
    }
  }
  std::string png;
  stbi_write_png_to_func(Append, &png, w, h, 4, rgba.data(), w * 4);
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "orv_layout_bench";
  std::filesystem::create_directories(dir);
  std::filesystem::path file = dir / name;
  std::ofstream(file, std::ios::binary).write(png.data(), static_cast<std::streamsize>(png.size()));
  return Utf8ToUtf16(file.string());
}

template <class T>
T* Make(IContainerUI* parent, std::u16string_view attributes) {
  T* control = new T;
  control->ApplyAttributeList(attributes);
  (void)parent->Add(control);
  return control;
}

std::u16string File(const std::u16string& path, std::u16string_view extra = {}) {
  std::u16string descriptor = u"file='" + path + u"'";
  if (!extra.empty()) descriptor.append(u" ").append(extra);
  return descriptor;
}

// Title bar, a tab with nine rows of label, spacer, progress and button, and a
// bottom bar: 62 controls.
std::unique_ptr<CVerticalLayoutUI> BuildDialog() {
  std::u16string bk = WritePng("bk.png", kWidth, 280, 0xFF2060A0, false);
  std::u16string btn = WritePng("btn.png", 180, 24, 0xFF30A040, true);
  std::u16string icon = WritePng("icon.png", 20, 20, 0xFFE0C020, true);
  auto root = std::make_unique<CVerticalLayoutUI>();
  root->ApplyAttributeList(
      u"bkcolor=\"#FFF4F6F8\" bordercolor=\"#FF8090A0\" bordersize=\"1\" inset=\"1,1,1,1\"");
  root->SetBkImage(File(bk, u"dest='0,0,650,280'"));
  auto* title = Make<CHorizontalLayoutUI>(
      root.get(), u"height=\"32\" childvalign=\"vcenter\" bkcolor=\"#FF1F5FA0\" bkcolor2=\"#FF3F7FC0\"");
  Make<CControlUI>(title, u"width=\"20\" height=\"20\" padding=\"8,0,4,0\"")->SetBkImage(File(icon));
  Make<CLabelUI>(title, u"text=\"ORVUpdate 在线升级\" textcolor=\"#FFFFFFFF\" width=\"200\"");
  Make<CControlUI>(title, u"");
  for (int i = 0; i < 2; ++i) {
    auto* b = Make<CButtonUI>(title, u"width=\"27\" height=\"22\"");
    b->SetNormalImage(File(btn, u"source='0,0,60,24' corner='3,3,3,3'"));
  }
  auto* tabs = Make<CTabLayoutUI>(root.get(), u"inset=\"12,8,12,8\"");
  auto* page = Make<CVerticalLayoutUI>(tabs, u"childpadding=\"6\"");
  for (int row = 0; row < 9; ++row) {
    auto* line = Make<CHorizontalLayoutUI>(
        page, u"height=\"28\" childvalign=\"vcenter\" childpadding=\"8\" bkcolor=\"#10000000\"");
    Make<CLabelUI>(line, u"text=\"组件 item\" width=\"120\" textcolor=\"#FF333333\"");
    Make<CControlUI>(line, u"bordercolor=\"#FFC0C8D0\" bottombordersize=\"1\"");
    auto* bar = Make<CProgressUI>(line, u"width=\"200\" bkcolor=\"#FFE0E4E8\" value=\"60\"");
    bar->SetForeImage(File(btn, u"source='60,0,120,24'"));
    auto* go = Make<CButtonUI>(line, u"width=\"60\" height=\"24\" text=\"升级\" textcolor=\"#FFFFFFFF\"");
    go->SetNormalImage(File(btn, u"source='0,0,60,24' corner='4,4,4,4'"));
  }
  auto* other = Make<CVerticalLayoutUI>(tabs, u"");
  Make<CLabelUI>(other, u"text=\"hidden page\"");
  Make<CControlUI>(other, u"");
  auto* bottom = Make<CHorizontalLayoutUI>(
      root.get(), u"height=\"50\" childpadding=\"10\" inset=\"0,10,20,10\" bkcolor=\"#FFE8ECF0\"");
  Make<CControlUI>(bottom, u"");
  for (const char16_t* text : {u"确定", u"取消"}) {
    auto* b = Make<CButtonUI>(
        bottom, u"width=\"90\" text=\"x\" bordercolor=\"#FF506070\" bordersize=\"1\" borderround=\"6,6\"");
    b->SetText(text);
    b->SetNormalImage(File(btn, u"source='120,0,180,24' corner='4,4,4,4'"));
  }
  return root;
}

int CountControls(CControlUI* root) {
  int n = 0;
  root->FindControl(
      [](CControlUI*, void* data) -> CControlUI* {
        ++*static_cast<int*>(data);
        return nullptr;
      },
      &n, 0);
  return n;
}

struct TDialog {
  CUIPaintManager manager;
  std::unique_ptr<CVerticalLayoutUI> root;
  CUISurface surface{kWidth, kHeight};
  TDialog() : root(BuildDialog()) {
    (void)manager.InitControls(root.get());
    root->SetPos({0, 0, kWidth, kHeight});
    CUICanvas dc(surface);
    root->DoPaint(dc, surface.GetBounds());  // images decoded and fonts made before timing
  }
  ~TDialog() { root.reset(); }
};

void BM_LayoutAndPaint(benchmark::State& state) {
  TDialog d;
  for (auto _ : state) {
    d.root->SetPos({0, 0, kWidth, kHeight});
    CUICanvas dc(d.surface);
    d.root->DoPaint(dc, d.surface.GetBounds());
    benchmark::ClobberMemory();
  }
  state.counters["controls"] = CountControls(d.root.get());
}

// The floor: every visible control's rectangle filled once, nothing else.
void BM_FillFloor(benchmark::State& state) {
  TDialog d;
  std::vector<TUIRect> rects;
  d.root->FindControl(
      [](CControlUI* c, void* data) -> CControlUI* {
        static_cast<std::vector<TUIRect>*>(data)->push_back(c->GetPos());
        return nullptr;
      },
      &rects, kFindVisible);
  for (auto _ : state) {
    CUICanvas dc(d.surface);
    uint32_t pixel = 0xFF000000;
    for (const TUIRect& r : rects) dc.FillRect(r, pixel += 0x010203);
    benchmark::ClobberMemory();
  }
  state.counters["rects"] = static_cast<double>(rects.size());
}

BENCHMARK(BM_LayoutAndPaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillFloor)->Unit(benchmark::kMicrosecond);

}  // namespace
