// A stand-in for the product's installer: appends "<word> <arguments>" to the
// file named by ORV_DEMO_INSTALLER_MARKER (or by its own path + ".ran"), so
// that a test sees that it was started and with what. The word is "ran"; a
// second build says "swapped", so that a test tells two programs apart.
#include <cstdio>
#include <cstdlib>
#include <string>

#ifndef ORV_STUB_WORD
#define ORV_STUB_WORD "ran"
#endif

int main(int argc, char** argv) {
  const char* marker = std::getenv("ORV_DEMO_INSTALLER_MARKER");
  const std::string path = marker != nullptr ? marker : std::string(argv[0]) + ".ran";
  std::string line = ORV_STUB_WORD;
  for (int i = 1; i < argc; ++i) line += std::string(" ") + argv[i];
  FILE* out = std::fopen(path.c_str(), "ab");
  if (out == nullptr) return 1;
  std::fprintf(out, "%s\n", line.c_str());
  std::fclose(out);
  return 0;
}
