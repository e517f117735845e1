// The command line of orvzip: ARCHIVE [-n NAME] FILE [[-n NAME] FILE ...]; a
// -n NAME may also stand before ARCHIVE and then names the first FILE.
#pragma once

#include <string>
#include <vector>

struct OrvZipEntry {
  std::u16string entryName;
  std::u16string sourcePath;
};

struct OrvZipJob {
  std::u16string archive;
  std::vector<OrvZipEntry> entries;
};

// Parses the arguments after the program name. Without -n an entry is named
// after the file (the part after its last "/" or "\"). Returns an empty
// text on success, else what is wrong.
std::string ParseOrvZipArgs(const std::vector<std::u16string>& args, OrvZipJob* job);
