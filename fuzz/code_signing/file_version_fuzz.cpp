// An installer's version resource as the update check reads it: the input
// is the whole file; its PE layout is read from its head and its version
// resource through reads at the offsets the file itself names.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "code_signing/file_version.h"
#include "code_signing/pe_layout.h"

using namespace code_signing;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly the bytes handed over, so ASan sees any read past them.
  const std::vector<uint8_t> file(data, data + size);
  const std::vector<uint8_t> head(
      file.begin(), file.begin() + static_cast<ptrdiff_t>(std::min<size_t>(size, kPeHeadBytes)));
  PeLayout layout;
  std::string why;
  if (ParsePeLayout(head, file.size(), &layout, &why) == PeLayoutResult::kMalformed) return 0;
  const FileReader read = [&file](uint64_t offset, uint32_t count, std::vector<uint8_t>* bytes) {
    if (offset > file.size()) return false;
    const size_t end = std::min<uint64_t>(file.size(), offset + count);
    bytes->assign(file.begin() + static_cast<ptrdiff_t>(offset), file.begin() + static_cast<ptrdiff_t>(end));
    return true;
  };
  FileVersion version;
  if (ReadFileVersion(layout, read, &version, &why) == FileVersionResult::kFound) (void)version.Text();
  // The same bytes as an offer's version text.
  std::u16string text;
  for (size_t i = 0; i + 1 < size && i < 64; i += 2)
    text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  (void)ParseVersionText(text);
  return 0;
}
