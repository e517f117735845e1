// Opens arbitrary bytes as a skin archive, then finds and reads every entry
// in pieces; the bytes sit in an exact-size block so reads past them show.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "skinui/resources/skin_resources.h"
#include "zip/zip_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  CZipArchive zip;
  if (zip.OpenMemory(bytes.data(), bytes.size()) != kZipOk) return 0;
  std::vector<uint8_t> out(777);
  for (int i = 0; i < zip.GetEntryCount() && i < 64; ++i) {
    TZipEntryInfo info;
    int index = -1;
    // Looking the entry up by its own name exercises find-entry.
    if (zip.FindEntry(u"dlg_main.xml", true, &index, &info) == kZipOk && index >= 0) {
      size_t got = 0;
      (void)zip.ReadEntry(index, out.data(), out.size(), &got);
    }
    size_t got = 0;
    for (int guard = 0; guard < 4096; ++guard) {
      if (zip.ReadEntry(i, out.data(), out.size(), &got) != kZipMore) break;
    }
  }
  SkinUI::CSkinResources resources;
  if (resources.RegisterArchiveFromMemory(bytes.data(), bytes.size())) {
    std::vector<uint8_t> file;
    (void)resources.ReadSkinFileWhole(u"DLG_MAIN.XML", &file);
  }
  return 0;
}
