// Hostile PE headers are refused without reading outside what was given.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "code_signing/pe_layout.h"

namespace {

using code_signing::PeLayoutResult;

constexpr uint32_t kPe = 0x40, kOptional = kPe + 24, kEntry = kOptional + 96 + 4 * 8;
constexpr uint32_t kSections = kOptional + 224, kTable = 0x400, kTableSize = 0x100;

void Put32(std::vector<uint8_t>* b, uint32_t at, uint32_t v) { std::memcpy(b->data() + at, &v, 4); }
void Put16(std::vector<uint8_t>* b, uint32_t at, uint16_t v) { std::memcpy(b->data() + at, &v, 2); }

// A PE32 image: headers to 0x200, one section to 0x400, then its
// certificate table to the end.
std::vector<uint8_t> Image() {
  std::vector<uint8_t> b(kTable + kTableSize, 0);
  b[0] = 'M';
  b[1] = 'Z';
  Put32(&b, 0x3C, kPe);
  std::memcpy(b.data() + kPe, "PE\0\0", 4);
  Put16(&b, kPe + 6, 1);
  Put16(&b, kPe + 20, 224);
  Put16(&b, kOptional, 0x10b);
  Put32(&b, kOptional + 36, 0x200);
  Put32(&b, kOptional + 60, 0x200);
  Put32(&b, kOptional + 92, 16);
  Put32(&b, kEntry, kTable);
  Put32(&b, kEntry + 4, kTableSize);
  Put32(&b, kSections + 16, 0x200);
  Put32(&b, kSections + 20, 0x200);
  return b;
}

struct TRow {
  const char* name;
  std::function<void(std::vector<uint8_t>*)> change;
  PeLayoutResult result;
  const char* why;
};

void PrintTo(const TRow& row, std::ostream* os) { *os << row.name; }

class PeLayoutRows : public ::testing::TestWithParam<TRow> {};

TEST_P(PeLayoutRows, ParseOrRefuse) {
  std::vector<uint8_t> file = Image();
  GetParam().change(&file);
  // The parser is given exactly the bytes it may read (ASan sees any more).
  const std::vector<uint8_t> head(file.begin(), file.begin() + std::min<size_t>(file.size(), 0x200));
  code_signing::PeLayout layout;
  std::string why;
  EXPECT_EQ(code_signing::ParsePeLayout(head, file.size(), &layout, &why), GetParam().result);
  EXPECT_EQ(why, GetParam().why);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PeLayoutRows,
    ::testing::Values(
        TRow{"signed", [](auto*) {}, PeLayoutResult::kParsed, ""},
        TRow{"unsigned", [](auto* b) { Put32(b, kEntry, 0), Put32(b, kEntry + 4, 0); },
             PeLayoutResult::kParsed, ""},
        TRow{"few_directories", [](auto* b) { Put32(b, kOptional + 92, 4); }, PeLayoutResult::kParsed, ""},
        TRow{"short", [](auto* b) { b->resize(30); }, PeLayoutResult::kNotPe, ""},
        TRow{"no_mz", [](auto* b) { (*b)[0] = 'X'; }, PeLayoutResult::kNotPe, ""},
        TRow{"pe_offset_huge", [](auto* b) { Put32(b, 0x3C, 0xFFFFFFF0); }, PeLayoutResult::kNotPe, ""},
        TRow{"pe_offset_past_head", [](auto* b) { Put32(b, 0x3C, 0x1F0); }, PeLayoutResult::kNotPe, ""},
        TRow{"unknown_magic", [](auto* b) { Put16(b, kOptional, 0x107); }, PeLayoutResult::kMalformed,
             "unknown optional header"},
        TRow{"huge_section_count", [](auto* b) { Put16(b, kPe + 6, 0xFFFF); }, PeLayoutResult::kMalformed,
             "too many sections"},
        TRow{"sections_past_head", [](auto* b) { Put16(b, kPe + 20, 0xFFF0); }, PeLayoutResult::kMalformed,
             "headers past their end"},
        TRow{"optional_header_too_small", [](auto* b) { Put16(b, kPe + 20, 64); }, PeLayoutResult::kMalformed,
             "headers past their end"},
        TRow{"table_past_end", [](auto* b) { Put32(b, kEntry + 4, kTableSize + 8); },
             PeLayoutResult::kMalformed, "certificate table past the end of the file"},
        TRow{"table_size_wraps", [](auto* b) { Put32(b, kEntry + 4, 0xFFFFFFF8); },
             PeLayoutResult::kMalformed, "certificate table past the end of the file"},
        TRow{"bytes_after_table", [](auto* b) { b->resize(b->size() + 8); }, PeLayoutResult::kMalformed,
             "bytes after the certificate table"},
        TRow{"table_overlaps_section",
             [](auto* b) { Put32(b, kEntry, 0x300), Put32(b, kEntry + 4, kTable + kTableSize - 0x300); },
             PeLayoutResult::kMalformed, "certificate table overlaps the image"},
        TRow{"table_in_headers",
             [](auto* b) { Put32(b, kEntry, 0x100), Put32(b, kEntry + 4, kTable + kTableSize - 0x100); },
             PeLayoutResult::kMalformed, "certificate table overlaps the image"},
        TRow{"misaligned_table",
             [](auto* b) { Put32(b, kEntry, kTable + 4), Put32(b, kEntry + 4, kTableSize - 4); },
             PeLayoutResult::kMalformed, "misaligned certificate table"},
        TRow{"empty_table", [](auto* b) { Put32(b, kEntry + 4, 0); }, PeLayoutResult::kMalformed,
             "empty certificate table"},
        // The section's raw data ends at 0x300, but the loader maps it up to
        // the next 0x200 boundary: a table at 0x300 would run as image.
        TRow{"table_in_file_aligned_tail",
             [](auto* b) {
               Put32(b, kSections + 16, 0x100), Put32(b, kEntry, 0x300), Put32(b, kEntry + 4, 0x200);
             },
             PeLayoutResult::kMalformed, "certificate table overlaps the image"},
        TRow{"unaligned_file_alignment", [](auto* b) { Put32(b, kOptional + 36, 0x300); },
             PeLayoutResult::kMalformed, "bad file alignment"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
