// A temporary folder that lives for one test and is removed with its content.
#pragma once

#include <filesystem>
#include <string>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return m_path; }
  // path / name as a string with the system's separators ("a/b" works everywhere).
  std::string File(const std::string& name) const;
  // Writes bytes to path / name, creating parent folders.
  void Write(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path m_path;
};

// Reads a whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);
