// skintool tree and render, in-process, over the cases of
// tests/data/skin_builder (an expected tree) and tests/data/skin_render (an
// expected PNG). A case's "args" file holds the arguments after the command,
// one per line, with FILE standing for the case's skin.xml; without it the
// arguments are just FILE. ORV_UPDATE_GOLDEN=1 rewrites the expectations.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "skinui/resources/stb_image_decoder.h"
#include "support/temp_dir.h"
#include "support/test_environment.h"
#include "view_commands.h"

namespace skinui_test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> CaseArgs(const fs::path& folder) {
  std::vector<std::string> args;
  std::ifstream in(folder / "args");
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) args.push_back(line == "FILE" ? (folder / "skin.xml").string() : line);
  }
  if (args.empty()) args.push_back((folder / "skin.xml").string());
  return args;
}

std::vector<std::string> Cases(const fs::path& root) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(root)) {
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool Updating() { return GetEnvVar("ORV_UPDATE_GOLDEN").value_or("") == "1"; }

struct TImage {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
};

bool LoadPng(const fs::path& path, TImage* image) {
  std::string bytes = ReadFileBytes(path);
  return !bytes.empty() && SkinUI::DecodeRgba(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                              &image->rgba, &image->width, &image->height);
}

// Channels within tolerance everywhere but at most maxOff pixels (glyph edges
// differ between font versions).
::testing::AssertionResult Matches(const TImage& got, const TImage& want, int tolerance, int maxOff) {
  if (got.width != want.width || got.height != want.height) {
    return ::testing::AssertionFailure()
           << "size " << got.width << "x" << got.height << ", expected " << want.width << "x" << want.height;
  }
  int off = 0, worst = 0;
  for (size_t i = 0; i < got.rgba.size(); i += 4) {
    int d = 0;
    for (int c = 0; c < 4; ++c) d = std::max(d, std::abs(got.rgba[i + c] - want.rgba[i + c]));
    worst = std::max(worst, d);
    off += d > tolerance;
  }
  if (off <= maxOff) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << off << " pixels off (worst channel difference " << worst << ")";
}

class SkintoolTreeTest : public ::testing::TestWithParam<std::string> {};

TEST_P(SkintoolTreeTest, PrintsTheExpectedTree) {
  const fs::path folder = fs::path(ORV_SKIN_BUILDER_DATA) / GetParam();
  std::ostringstream out, err;
  ASSERT_EQ(skintool::RunTree(CaseArgs(folder), out, err), 0) << err.str();
  if (Updating()) std::ofstream(folder / "tree.txt", std::ios::binary) << out.str();
  EXPECT_EQ(out.str(), ReadFileBytes(folder / "tree.txt"));
}

INSTANTIATE_TEST_SUITE_P(Cases, SkintoolTreeTest, ::testing::ValuesIn(Cases(ORV_SKIN_BUILDER_DATA)));

class SkintoolRenderTest : public ::testing::TestWithParam<std::string> {};

TEST_P(SkintoolRenderTest, PaintsTheExpectedImage) {
  const fs::path folder = fs::path(ORV_SKIN_RENDER_DATA) / GetParam();
  // Drawn text differs by text backend: those cases keep one image per backend.
  const bool text = fs::exists(folder / "has_text");
  const fs::path expected = folder / (text && std::string(ORV_PLATFORM_BACKEND) != "posix"
                                          ? "expected_" + std::string(ORV_PLATFORM_BACKEND) + ".png"
                                          : std::string("expected.png"));
  TempDir dir;
  std::vector<std::string> args = CaseArgs(folder);
  args.insert(args.end(), {"--out", dir.File("out.png")});
  std::ostringstream out, err;
  ASSERT_EQ(skintool::RunRender(args, out, err), 0) << err.str();
  TImage got, want;
  ASSERT_TRUE(LoadPng(dir.File("out.png"), &got));
  if (Updating()) fs::copy_file(dir.File("out.png"), expected, fs::copy_options::overwrite_existing);
  if (!fs::exists(expected)) GTEST_SKIP() << "no " << expected.filename() << " for this backend";
  ASSERT_TRUE(LoadPng(expected, &want));
  EXPECT_TRUE(text ? Matches(got, want, 48, got.width * got.height / 50) : Matches(got, want, 2, 0));
}

INSTANTIATE_TEST_SUITE_P(Cases, SkintoolRenderTest, ::testing::ValuesIn(Cases(ORV_SKIN_RENDER_DATA)));

TEST(SkintoolArguments, BadArgumentsAndMissingSkinsFail) {
  std::ostringstream out, err;
  EXPECT_EQ(skintool::RunTree({}, out, err), 2);
  EXPECT_EQ(skintool::RunTree({"x.xml", "--size", "12"}, out, err), 2);
  EXPECT_EQ(skintool::RunRender({"x.xml"}, out, err), 2);
  EXPECT_EQ(skintool::RunTree({"/no/such/folder/skin.xml"}, out, err), 1);
}

}  // namespace
}  // namespace skinui_test
