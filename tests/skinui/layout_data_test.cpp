// Runs every case under tests/data/layout/<case>/: "input" holds a window
// size line ("size W H"), an optional scale line ("scale 150") and the tree
// (see control_support.h); "expected" lists "name l,t,r,b" or "name hidden"
// (effectively invisible). Without a scale line the tree is laid out without
// a manager, with one it is attached to a windowless paint manager at that
// DPI scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "common/text.h"
#include "skinui/control_support.h"
#include "skinui/manager/paint_manager.h"
#include "support/temp_dir.h"

namespace SkinUI {
namespace {

namespace fs = std::filesystem;

struct TCaseInput {
  int width = 0, height = 0, scale = 0;
  std::string tree;
};

TCaseInput ReadInput(const std::string& text) {
  TCaseInput in;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string word;
    words >> word;
    if (word == "size")
      words >> in.width >> in.height;
    else if (word == "scale")
      words >> in.scale;
    else
      in.tree += line + "\n";
  }
  return in;
}

// What the case's controls look like after layout, in the expected format.
std::string Describe(CControlUI* root, const std::string& expected) {
  std::string out;
  std::istringstream lines(expected);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty()) continue;
    std::string name = line.substr(0, line.find(' '));
    CControlUI* c = skinui_test::FindByName(root, Utf8ToUtf16(name));
    out += name + " " +
           (!c               ? "missing"
            : c->IsVisible() ? skinui_test::RectText(c->GetPos())
                             : "hidden") +
           "\n";
  }
  return out;
}

class LayoutData : public ::testing::TestWithParam<std::string> {};

TEST_P(LayoutData, PlacesEveryControlAsExpected) {
  fs::path dir = fs::path(ORV_SOURCE_DIR) / "tests/data/layout" / GetParam();
  TCaseInput in = ReadInput(ReadFileBytes(dir / "input"));
  CUIPaintManager manager;  // before the tree: controls report their destruction to it
  std::string error;
  std::unique_ptr<CControlUI> root = skinui_test::BuildTree(in.tree, &error);
  ASSERT_TRUE(root) << error;
  if (in.scale != 0) {
    manager.SetDPI(in.scale * 96 / 100);
    ASSERT_EQ(manager.GetDPIScale(), in.scale);
    ASSERT_TRUE(manager.InitControls(root.get()));
  }
  root->SetPos({0, 0, in.width, in.height});
  std::string expected = ReadFileBytes(dir / "expected");
  EXPECT_EQ(Describe(root.get(), expected), expected);
}

std::vector<std::string> Cases() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(fs::path(ORV_SOURCE_DIR) / "tests/data/layout")) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, LayoutData, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace SkinUI
