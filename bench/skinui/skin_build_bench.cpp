// Building a skin: markup parse, control tree, resources, the first layout
// and the first paint of a 60-control skin, from its XML text, against the
// markup parse of the same text alone (its anchor in the same run).
#include <benchmark/benchmark.h>

#include <string>

#include "platform/window/window_messages.h"
#include "platform/window/window_system.h"
#include "skinui/builder/skin_builder.h"
#include "skinui/manager/paint_manager.h"
#include "skinui/markup/markup.h"
#include "skinui/window/paint_manager_window.h"

namespace {

// 60 controls: a title bar, a tab layout of two pages (the second hidden)
// with rows of labels and buttons, a progress bar; shared fonts and style, a
// default list.
const std::u16string& Skin60() {
  static const std::u16string text = [] {
    std::u16string s =
        u"<Window size=\"650,430\" caption=\"0,0,0,32\" defaultfontcolor=\"#FF333333\">\n"
        u"  <Font id=\"0\" name=\"微软雅黑\" size=\"12\" shared=\"true\" default=\"true\"/>\n"
        u"  <Font id=\"1\" name=\"微软雅黑\" size=\"16\" bold=\"true\" shared=\"true\"/>\n"
        u"  <Style name=\"btn\" value=\"width=&quot;80&quot; bkcolor=&quot;#FF2A7FE0&quot; "
        u"textcolor=&quot;#FFFFFFFF&quot; bordersize=&quot;1&quot; bordercolor=&quot;#FF1060C0&quot;\" "
        u"shared=\"true\"/>\n"
        u"  <Default name=\"Label\" value=\"height=&quot;24&quot; align=&quot;left&quot;\"/>\n"
        u"  <VerticalLayout bkcolor=\"#FFFFFFFF\" bkcolor2=\"#FFE8F0FF\">\n"
        u"    <HorizontalLayout height=\"32\" bkcolor=\"#FF2A7FE0\">\n"
        u"      <Label text=\"在线升级\" font=\"1\" textcolor=\"#FFFFFFFF\" width=\"200\"/>\n"
        u"      <Button name=\"btn_close\" width=\"24\" text=\"x\" padding=\"426,0,0,0\"/>\n"
        u"    </HorizontalLayout>\n"
        u"    <TabLayout name=\"tab_main\">\n";
    int count = 5;  // the controls so far
    for (int page = 0; page < 2; ++page) {
      s += u"      <VerticalLayout inset=\"20,10,20,10\" childpadding=\"4\">\n";
      ++count;
      for (int row = 0; row < 7 - page; ++row) {
        const std::u16string n = std::u16string(1, u'a' + page) + std::u16string(1, u'0' + row);
        s += u"        <HorizontalLayout height=\"30\" childpadding=\"6\">\n"
             u"          <Label name=\"lab_" +
             n + u"\" text=\"版本 1.0.0." + n +
             u" &amp; 更新\" width=\"260\"/>\n"
             u"          <Control/>\n"
             u"          <Button name=\"btn_" +
             n +
             u"\" style=\"btn\" text=\"升级\"/>\n"
             u"        </HorizontalLayout>\n";
        count += 4;
      }
      s += u"      </VerticalLayout>\n";
    }
    s += u"    </TabLayout>\n"
         u"    <Progress name=\"progress\" height=\"10\" value=\"37\" bkcolor=\"#FFDDDDDD\"/>\n"
         u"  </VerticalLayout>\n</Window>\n";
    count += 1;
    return count == 60 ? s : std::u16string();
  }();
  return text;
}

// The window every iteration's manager is bound to in turn.
CPaintManagerWindow& BenchWindow() {
  static CPaintManagerWindow* window = [] {
    auto* made = new CPaintManagerWindow;
    const platform::RECT bounds{0, 0, 650, 430};
    (void)made->Create(u"SkinBuildBench", 0, nullptr, u"bench", WS_POPUP, 0, &bounds);
    return made;
  }();
  return *window;
}

void BM_SkinParse_Skin60(benchmark::State& state) {
  for (auto _ : state) {
    SkinUI::CUIMarkup markup;
    bool ok = markup.LoadFromText(Skin60());
    benchmark::DoNotOptimize(ok);
    if (!ok) state.SkipWithError("parse failed");
  }
}

// A fresh manager each time, so that the local resources are registered and
// the images, fonts and layout made again; the shared fonts and styles stay,
// as they do for the second window of a process.
void BM_SkinBuildLayoutPaint_Skin60(benchmark::State& state) {
  CPaintManagerWindow& window = BenchWindow();
  SkinUI::CUISurface surface(650, 430);
  for (auto _ : state) {
    SkinUI::CUIPaintManager manager;
    window.SetPaintManager(&manager);
    manager.Init(window.m_hWnd);
    SkinUI::CUISkinBuilder builder;
    SkinUI::CControlUI* root = builder.Create(Skin60(), {}, nullptr, &manager);
    if (!root) {
      state.SkipWithError("build failed");
      break;
    }
    manager.AttachDialog(root);
    SkinUI::CUICanvas canvas(surface);
    manager.PaintClientTo(canvas);
    benchmark::DoNotOptimize(surface.GetPixel(100, 100));
    window.SetPaintManager(nullptr);
  }
}

// For scale: one opaque fill of the whole 650 x 430 client area, the least a
// first paint writes.
void BM_ClientFill_650x430(benchmark::State& state) {
  SkinUI::CUISurface surface(650, 430);
  SkinUI::CUICanvas canvas(surface);
  for (auto _ : state) {
    canvas.FillRect(surface.GetBounds(), 0xFFFFFFFF);
    benchmark::DoNotOptimize(surface.GetPixel(100, 100));
  }
}

double Fastest(const std::vector<double>& runs) { return *std::min_element(runs.begin(), runs.end()); }

}  // namespace

BENCHMARK(BM_SkinParse_Skin60)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_SkinBuildLayoutPaint_Skin60)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_ClientFill_650x430)->ComputeStatistics("min", Fastest);
