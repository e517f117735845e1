// The file version an installer states of itself, read from signed
// fixtures (tests/support/sign_fixtures.sh) and from hostile resource
// directories; and offered version texts.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "code_signing/file_version.h"
#include "code_signing/pe_layout.h"

namespace {

using namespace code_signing;

std::vector<uint8_t> Fixture(const std::string& name) {
  std::ifstream in(std::string(ORV_BINARY_DIR) + "/signed_fixtures/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The version of file, or the text of why there is none.
std::string VersionOf(const std::vector<uint8_t>& file) {
  PeLayout layout;
  std::string why;
  if (ParsePeLayout(file, file.size(), &layout, &why) != PeLayoutResult::kParsed) return "layout: " + why;
  const FileReader read = [&file](uint64_t offset, uint32_t size, std::vector<uint8_t>* bytes) {
    if (offset > file.size()) return false;
    const size_t end = std::min<uint64_t>(file.size(), offset + size);
    bytes->assign(file.begin() + static_cast<ptrdiff_t>(offset), file.begin() + static_cast<ptrdiff_t>(end));
    return true;
  };
  FileVersion version;
  switch (ReadFileVersion(layout, read, &version, &why)) {
    case FileVersionResult::kFound:
      return version.Text();
    case FileVersionResult::kNone:
      return "none";
    case FileVersionResult::kMalformed:
      break;
  }
  return why;
}

struct TFixture {
  const char* file;
  const char* version;
};

class FixtureVersions : public ::testing::TestWithParam<TFixture> {};

TEST_P(FixtureVersions, ReadFromTheVersionResource) {
  const std::vector<uint8_t> file = Fixture(GetParam().file);
  ASSERT_FALSE(file.empty()) << "the SignFixtures test makes " << GetParam().file;
  EXPECT_EQ(VersionOf(file), GetParam().version);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FixtureVersions,
                         ::testing::Values(TFixture{"installer_signed.exe", "1.0.0.2"},
                                           TFixture{"installer_old_version.exe", "0.0.0.1"},
                                           TFixture{"installer_no_version.exe", "none"}));

// Offsets into the resource directory of the minimal installer: the root's
// entry for RT_VERSION, the language's data entry, and the version block.
uint32_t ResourceAt(const std::vector<uint8_t>& file) {
  PeLayout layout;
  std::string why;
  uint64_t offset = 0;
  uint32_t available = 0;
  if (ParsePeLayout(file, file.size(), &layout, &why) != PeLayoutResult::kParsed ||
      !layout.FileOffsetOf(layout.resourceRva, &offset, &available)) {
    return 0;
  }
  return static_cast<uint32_t>(offset);
}

void Put32(std::vector<uint8_t>* b, uint32_t at, uint32_t v) { std::memcpy(b->data() + at, &v, 4); }

struct THostile {
  const char* name;
  std::function<void(std::vector<uint8_t>*, uint32_t)> change;  // given the resource directory's offset
  const char* why;
};

void PrintTo(const THostile& row, std::ostream* os) { *os << row.name; }

class HostileResources : public ::testing::TestWithParam<THostile> {};

TEST_P(HostileResources, AreRefusedWithoutReadingOutside) {
  std::vector<uint8_t> file = Fixture("installer_unsigned.exe");
  const uint32_t at = ResourceAt(file);
  if (at == 0 || file.size() < at + 0xB4)
    GTEST_SKIP() << "the Windows stub's resources are laid out by its linker";
  GetParam().change(&file, at);
  EXPECT_EQ(VersionOf(file), GetParam().why);
}

INSTANTIATE_TEST_SUITE_P(
    Resources, HostileResources,
    ::testing::Values(
        THostile{"entry_count_huge", [](auto* b, uint32_t at) { Put32(b, at + 12, 0xFFFF0000); },
                 "resource directory too large"},
        THostile{"subdirectory_outside", [](auto* b, uint32_t at) { Put32(b, at + 20, 0x8000FFF0); },
                 "resource directory outside the image"},
        THostile{"leaf_at_type_level", [](auto* b, uint32_t at) { Put32(b, at + 20, 0x48); },
                 "version resource entry is no directory"},
        THostile{"data_outside_the_image", [](auto* b, uint32_t at) { Put32(b, at + 0x48, 0x7FFFFFF0); },
                 "version block outside the image"},
        THostile{"block_too_large", [](auto* b, uint32_t at) { Put32(b, at + 0x4C, 0x100000); },
                 "version block too large"},
        THostile{"no_fixed_info", [](auto* b, uint32_t at) { Put32(b, at + 0x58 + 40, 0); },
                 "no VS_FIXEDFILEINFO"},
        THostile{"other_type_only", [](auto* b, uint32_t at) { Put32(b, at + 16, 3); }, "none"}),
    [](const auto& info) { return std::string(info.param.name); });

struct TText {
  const char16_t* text;
  const char* version;  // "" when refused
};

TEST(OfferedVersionText, ReadsOneToFourNumbers) {
  const TText rows[] = {{u"1.0.0.2", "1.0.0.2"},
                        {u"2", "2.0.0.0"},
                        {u"65535.0.1", "65535.0.1.0"},
                        {u"", ""},
                        {u"1..2", ""},
                        {u"1.0.0.2.5", ""},
                        {u"1.0.", ""},
                        {u"65536", ""},
                        {u" 1.0", ""},
                        {u"v1.0", ""},
                        {u"1.0.0.2\n", ""}};
  for (const TText& row : rows) {
    const auto version = ParseVersionText(row.text);
    EXPECT_EQ(version ? version->Text() : "", row.version) << "row of " << row.version;
  }
}

}  // namespace
