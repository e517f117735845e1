// Shared helpers of the ZIP writer tests.
#pragma once

#include <cstdint>
#include <string>

#include "support/temp_dir.h"
#include "zip/zip_archive.h"
#include "zip/zip_reader.h"

std::u16string U16(const std::string& utf8);
// Bytes that deflate poorly (a fixed pseudo-random sequence).
std::string NoiseBytes(size_t size, uint32_t seed);
// Bytes that deflate well, with repeats near and far.
std::string TextBytes(size_t size);

// Packs (entry name, source file) pairs into archive; every add must succeed.
// Returns the archive's bytes.
struct ZipInput {
  std::string entryName;
  std::string sourcePath;
};
std::string PackFiles(const std::string& archive, const std::vector<ZipInput>& inputs);

// Runs a shell command; true when it exits with status 0. Its output is kept
// in a file of dir and returned in *output.
bool RunCommand(const TempDir& dir, const std::string& command, std::string* output);
