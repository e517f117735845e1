#include "skinui/zip_fixture.h"

#include <cstdlib>

namespace skinui_test {

std::string BigText() {
  std::string text;
  for (int i = 0; text.size() < 200000; ++i) text += "line " + std::to_string(i % 97) + " of skin\n";
  return text;
}

std::vector<std::string> SkinFileNames() {
  return {"dlg_main.xml", "img/bk.png", "empty.txt", "big.txt"};
}

void WriteSkinFiles(const TempDir& dir) {
  dir.Write("dlg_main.xml", "<Window size=\"650,430\"><Label text=\"hi\"/></Window>");
  std::string binary;
  for (int i = 0; i < 3000; ++i) binary.push_back(static_cast<char>((i * 7919) & 0xFF));
  dir.Write("img/bk.png", binary);
  dir.Write("empty.txt", "");
  dir.Write("big.txt", BigText());
}

std::string ZipWithInfoZip(const TempDir& dir, const std::vector<std::string>& files,
                           bool store) {
  std::string command = "cd '" + dir.path().string() + "' && " ORV_ZIP_TOOL " -q -X";
  command += store ? " -0" : " -9";
  command += " out.zip";
  for (const std::string& file : files) command += " '" + file + "'";
  if (std::system(command.c_str()) != 0) return {};
  std::string bytes = ReadFileBytes(dir.path() / "out.zip");
  std::filesystem::remove(dir.path() / "out.zip");
  return bytes;
}

}  // namespace skinui_test
