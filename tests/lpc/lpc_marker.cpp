// Test helper started through devservice: writes its arguments after the
// first, separated by blanks, into the file named by the first. The text is
// written beside the file and renamed, so readers never see half of it.
#include <filesystem>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string text;
  for (int i = 2; i < argc; ++i) text += std::string(i > 2 ? " " : "") + argv[i];
  const std::filesystem::path target = argv[1];
  std::filesystem::path partial = target;
  partial += ".part";
  {
    std::ofstream out(partial, std::ios::binary);
    out << text;
    if (!out) return 1;
  }
  std::error_code error;
  std::filesystem::rename(partial, target, error);
  return error ? 1 : 0;
}
