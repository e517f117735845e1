#include "check_command.h"

#include "common/text.h"
#include "platform/system/whole_file.h"
#include "skinui/markup/markup.h"

namespace skintool {
namespace {

// The text as the parser saw it, to turn its offset into line and column.
std::u16string DecodeLikeParser(const std::string& bytes) {
  std::string_view view(bytes);
  if (view.size() > 2 && view.substr(0, 3) == "\xEF\xBB\xBF") view.remove_prefix(3);
  return Utf8ToUtf16(view);
}

std::string DescribePosition(const std::u16string& text, long offset) {
  if (offset < 0) return "";
  long line = 1, column = 1;
  for (long i = 0; i < offset && i < static_cast<long>(text.size()); ++i) {
    if (text[i] == u'\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return " at line " + std::to_string(line) + ", column " + std::to_string(column) + " (offset " +
         std::to_string(offset) + ")";
}

bool CheckOne(const std::string& file, std::ostream& out) {
  std::vector<uint8_t> buffer;
  if (platform::ReadWholeFile(Utf8ToUtf16(file), &buffer) != platform::EWholeFileRead::kOk) {
    out << file << ": cannot be read\n";
    return false;
  }
  const std::string bytes(buffer.begin(), buffer.end());  // the parser edits buffer in place
  SkinUI::CUIMarkup markup;
  if (markup.LoadFromMemory(buffer.data(), buffer.size(), SkinUI::CUIMarkup::kUtf8)) {
    out << file << ": ok\n";
    return true;
  }
  out << file << ": " << Utf16ToUtf8(markup.GetLastErrorMessage())
      << DescribePosition(DecodeLikeParser(bytes), markup.GetLastErrorPosition()) << ": "
      << Utf16ToUtf8(markup.GetLastErrorLocation()) << "\n";
  return false;
}

}  // namespace

int RunCheck(const std::vector<std::string>& files, std::ostream& out) {
  int status = 0;
  for (const std::string& file : files) {
    if (!CheckOne(file, out)) status = 1;
  }
  return status;
}

}  // namespace skintool
