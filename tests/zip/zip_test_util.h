// Shared helpers of the ZIP writer tests.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "zip/zip_archive.h"
#include "zip/record_parser.h"

std::u16string U16(const std::string& utf8);
// Bytes that deflate poorly (a fixed pseudo-random sequence).
std::string NoiseBytes(size_t size, uint32_t seed);
// Bytes that deflate well, with repeats near and far.
std::string TextBytes(size_t size);

// Little-endian 32-bit value at offset at.
uint32_t Le32(const std::string& s, size_t at);
// Unix seconds of a local calendar time (mktime).
time_t LocalSeconds(int year, int month, int day, int hour, int minute, int second);
// DOS time (low 16 bits) and date (high 16 bits).
uint32_t Dos(int year, int month, int day, int hour, int minute, int second);
// Sets a file's last-write time to a local calendar time, any year from 1601
// to 2107 (zip_file_time_<system>.cpp).
void SetLocalMtime(const std::string& path, int year, int month, int day, int hour, int minute, int second);

// Packs (entry name, source file) pairs into archive; every add must succeed.
// Returns the archive's bytes.
struct ZipInput {
  std::string entryName;
  std::string sourcePath;
};
std::string PackFiles(const std::string& archive, const std::vector<ZipInput>& inputs);

// Runs program with args (args[0] is the name it sees) and waits for it;
// true when it exits with code 0. Its standard output and error are kept in
// a file of dir and returned in *output with line ends as "\n".
bool RunProgram(const TempDir& dir, const std::string& program, const std::vector<std::string>& args,
                std::string* output);

// Sources of an archive mixing stored, deflated, empty and nested entries,
// written into dir.
std::vector<ZipInput> MixedInputs(const TempDir& dir);

// Packs one data case folder into dir/case.zip: its "entries" file lists
// "NAME<TAB>FILE" (FILE relative to the case's files/ folder). Returns the
// archive described as its "expected" file is: "NAME METHOD FLAGS SIZE CRC"
// per entry, or the parse error.
std::string PackDataCase(const std::filesystem::path& folder, const TempDir& dir,
                         std::vector<ZipInput>* inputs);
// The data case folders under tests/data/zip/.
std::vector<std::filesystem::path> DataCaseFolders();

// Checks that archive holds exactly one entry: content read from a pipe
// (no file facts, so only the "not a disk file" attribute bit).
void ExpectSinglePipeEntry(const ParsedArchive& archive, const std::string& content);
