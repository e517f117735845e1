#include "zip/zip_fixture.h"

#include <filesystem>

#include "common/text.h"
#include "zip/zip_archive.h"

namespace zip_test {

std::string BigText() {
  std::string text;
  for (int i = 0; text.size() < 200000; ++i) text += "line " + std::to_string(i % 97) + " of skin\n";
  return text;
}

std::vector<std::string> SkinFileNames() { return {"dlg_main.xml", "img/bk.png", "empty.txt", "big.txt"}; }

void WriteSkinFiles(const TempDir& dir) {
  dir.Write("dlg_main.xml", "<Window size=\"650,430\"><Label text=\"hi\"/></Window>");
  std::string binary;
  for (int i = 0; i < 3000; ++i) binary.push_back(static_cast<char>((i * 7919) & 0xFF));
  dir.Write("img/bk.png", binary);
  dir.Write("empty.txt", "");
  dir.Write("big.txt", BigText());
}

bool HaveInfoZipArchives() { return ORV_INFOZIP_DIR[0] != '\0'; }

std::string InfoZipArchive(const std::string& name) {
  if (!HaveInfoZipArchives()) return {};
  std::filesystem::path path = std::filesystem::path(ORV_INFOZIP_DIR) / name;
  if (!std::filesystem::exists(path)) return {};
  return ReadFileBytes(path);
}

std::string PackSkinWithOwnWriter(const TempDir& dir) {
  std::u16string out = Utf8ToUtf16(dir.File("skin.zip"));
  HZIP zip = ZipArchiveCreate(out.c_str());
  if (!zip) return {};
  bool added = true;
  for (const std::string& name : SkinFileNames()) {
    std::string entry = name;
    for (char& c : entry)
      if (c == '/') c = '\\';  // the writer stores "/"
    std::u16string source = Utf8ToUtf16(dir.File(name));
    added = added && ZipArchiveAddFile(zip, Utf8ToUtf16(entry).c_str(), source.c_str()) == kZipResultOk;
  }
  if (ZipArchiveClose(zip) != kZipResultOk || !added) return {};
  return ReadFileBytes(dir.path() / "skin.zip");
}

}  // namespace zip_test
