// Feeds arbitrary bytes to the skin markup parser in each encoding and walks
// whatever document results.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "skinui/markup/markup.h"

namespace {

void Walk(SkinUI::CUIMarkupNode node, int depth) {
  if (depth > 200) return;
  for (; node.IsValid(); node = node.GetSibling()) {
    volatile char16_t sink = node.GetName()[0];
    sink = node.GetValue()[0];
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
      sink = node.GetAttributeName(i)[0];
      sink = node.GetAttributeValue(i)[0];
    }
    char16_t buffer[16];
    (void)node.GetAttributeValue(u"name", buffer, 15);
    (void)sink;
    Walk(node.GetChild(), depth + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  int encoding = data[0] % 3;
  std::vector<uint8_t> bytes(data + 1, data + size);
  SkinUI::CUIMarkup markup;
  if (markup.LoadFromMemory(bytes.data(), bytes.size(), encoding)) Walk(markup.GetRoot(), 0);
  return 0;
}
