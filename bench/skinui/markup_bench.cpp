// The skin markup parser against pugixml: one real-sized skin file and a
// 20 MB generated document, both loaded from UTF-8 bytes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "common/text.h"
#include "skinui/markup/markup.h"

namespace {

const std::string& SkinFile() {
  static const std::string text = [] {
    std::ifstream in(ORV_BENCH_SKIN, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }();
  return text;
}

// About 20 MB of skin-like elements with attributes, entities and text.
const std::string& BigFile() {
  static const std::string text = [] {
    std::string s = "<Window size=\"650,430\">\n";
    for (int i = 0; s.size() < 20 * 1000 * 1000; ++i) {
      s += "  <HorizontalLayout height=\"36\" name=\"row" + std::to_string(i) +
           "\">\n"
           "    <Label name=\"lab_" +
           std::to_string(i) + "\" text=\"版本 &amp; 升级 " + std::to_string(i) +
           "\" textcolor=\"#FF969696\" align=\"center\"/>\n"
           "    <Button text=\"立即升级\" normalimage=\"file='btn_blue.png' source='0,0,180,48' "
           "corner='5,5,5,5'\">go</Button>\n"
           "  </HorizontalLayout>\n";
    }
    return s + "</Window>\n";
  }();
  return text;
}

void RunMarkup(benchmark::State& state, const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  for (auto _ : state) {
    SkinUI::CUIMarkup markup;
    bool ok = markup.LoadFromMemory(bytes.data(), bytes.size(), SkinUI::CUIMarkup::kUtf8);
    benchmark::DoNotOptimize(ok);
    if (!ok) state.SkipWithError("parse failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}

void RunPugixml(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    pugi::xml_document doc;
    pugi::xml_parse_result result = doc.load_buffer(text.data(), text.size());
    benchmark::DoNotOptimize(result.status);
    if (!result) state.SkipWithError("parse failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}

// The decoding step alone, the part of a UTF-8 load that precedes parsing.
void BM_MarkupDecode_Skin3K(benchmark::State& state) {
  for (auto _ : state) {
    auto wide = std::make_unique_for_overwrite<char16_t[]>(SkinFile().size() + 1);
    benchmark::DoNotOptimize(Utf8ToUtf16(SkinFile(), wide.get()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * SkinFile().size());
}

// The parsing step alone, from text already in UTF-16 (with its copy).
void BM_MarkupParse_Skin3K(benchmark::State& state) {
  const std::u16string wide = Utf8ToUtf16(SkinFile());
  for (auto _ : state) {
    SkinUI::CUIMarkup markup;
    bool ok = markup.LoadFromText(wide);
    benchmark::DoNotOptimize(ok);
    if (!ok) state.SkipWithError("parse failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * SkinFile().size());
}

void BM_Markup_Skin3K(benchmark::State& state) { RunMarkup(state, SkinFile()); }
void BM_Pugixml_Skin3K(benchmark::State& state) { RunPugixml(state, SkinFile()); }
void BM_Markup_Generated20M(benchmark::State& state) { RunMarkup(state, BigFile()); }
void BM_Pugixml_Generated20M(benchmark::State& state) { RunPugixml(state, BigFile()); }

// On a shared machine other work only ever adds time, so with repetitions
// the fastest one is the steadiest figure to compare.
double Fastest(const std::vector<double>& runs) { return *std::min_element(runs.begin(), runs.end()); }

}  // namespace

BENCHMARK(BM_MarkupDecode_Skin3K)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_MarkupParse_Skin3K)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_Markup_Skin3K)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_Pugixml_Skin3K)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_Markup_Generated20M)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_Pugixml_Generated20M)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
