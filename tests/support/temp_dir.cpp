#include "support/temp_dir.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

TempDir::TempDir() {
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto candidate = base / ("orvtest-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) {
      m_path = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
}

// Native separators throughout: the program splits paths at its own separator.
std::string TempDir::File(const std::string& name) const { return (m_path / name).make_preferred().string(); }

void TempDir::Write(const std::string& name, const std::string& bytes) const {
  const auto target = m_path / name;
  std::filesystem::create_directories(target.parent_path());
  std::ofstream out(target, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  // In one block rather than through a character iterator: dumps of several
  // megabytes are read in sanitizer builds too.
  std::ostringstream bytes;
  if (in) bytes << in.rdbuf();
  return bytes.str();
}
