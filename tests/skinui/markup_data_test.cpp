// Runs every case under tests/data/markup/<case>/: input.xml (optional
// "encoding" file with 0, 1 or 2) and either "tree" (the expected document) or
// "error" (the expected message and context). ANSI inputs are stored as UTF-8
// and turned into the system's ANSI code page before loading.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/text.h"
#include "platform/system/codepage.h"
#include "skinui/markup/markup.h"
#include "support/temp_dir.h"

namespace SkinUI {
namespace {

namespace fs = std::filesystem;

std::string Escape(const char16_t* text) {
  std::string out;
  for (char c : Utf16ToUtf8(text)) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\t')
      out += "\\t";
    else
      out += c;
  }
  return out;
}

void Dump(CUIMarkupNode node, int depth, std::string* out) {
  for (; node.IsValid(); node = node.GetSibling()) {
    std::string indent(depth * 2, ' ');
    *out += indent + Escape(node.GetName()) + "\n";
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
      *out +=
          indent + "  @" + Escape(node.GetAttributeName(i)) + "=" + Escape(node.GetAttributeValue(i)) + "\n";
    }
    if (node.GetValue()[0] != 0) *out += indent + "  #text=" + Escape(node.GetValue()) + "\n";
    Dump(node.GetChild(), depth + 1, out);
  }
}

class MarkupData : public ::testing::TestWithParam<std::string> {};

TEST_P(MarkupData, MatchesExpectedResult) {
  fs::path dir = fs::path(ORV_SOURCE_DIR) / "tests/data/markup" / GetParam();
  std::string input = ReadFileBytes(dir / "input.xml");
  int encoding = 0;
  if (fs::exists(dir / "encoding")) encoding = std::stoi(ReadFileBytes(dir / "encoding"));
  if (encoding == CUIMarkup::kAnsi) {
    const std::u16string text = Utf8ToUtf16(input);
    input = platform::WideToAnsi(text);
    if (platform::AnsiToWide(input) != text) {
      GTEST_SKIP() << "the ANSI code page of this system cannot hold the case's text "
                      "(a Chinese code page such as 936 can; under Wine that takes a Chinese Unix locale)";
    }
  }
  CUIMarkup markup;
  std::vector<uint8_t> bytes(input.begin(), input.end());
  bool loaded = markup.LoadFromMemory(bytes.data(), bytes.size(), encoding);
  if (fs::exists(dir / "tree")) {
    ASSERT_TRUE(loaded) << Escape(markup.GetLastErrorMessage());
    std::string tree;
    Dump(markup.GetRoot(), 0, &tree);
    EXPECT_EQ(tree, ReadFileBytes(dir / "tree"));
  } else {
    ASSERT_FALSE(loaded);
    EXPECT_FALSE(markup.IsValid());
    std::string error = "message: " + Escape(markup.GetLastErrorMessage()) +
                        "\ncontext: " + Escape(markup.GetLastErrorLocation()) + "\n";
    EXPECT_EQ(error, ReadFileBytes(dir / "error"));
  }
}

std::vector<std::string> Cases() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(fs::path(ORV_SOURCE_DIR) / "tests/data/markup")) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, MarkupData, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace SkinUI
