// Archives of the skin reader and skin-resource tests: written by Info-ZIP's
// zip (packed at build time by make_infozip_archives.py on the build machine)
// or by the project's own writer.
#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace zip_test {

// True when the build packed the Info-ZIP archives (zip and python3 were
// found on the build machine).
bool HaveInfoZipArchives();
// The bytes of one packed archive (empty when it is missing): skin_stored.zip
// and skin_deflated.zip (the four skin files), dlg_main.zip, big.zip,
// other_stored.zip ("other.xml" = "<Other/>"), long_names.zip ("d/" + 254 and
// 253 times "n"), encrypted.zip ("secret.xml" with the password "pass").
std::string InfoZipArchive(const std::string& name);
// Why a test without the archives is skipped.
inline constexpr char kNoInfoZip[] = "Info-ZIP's zip or python3 was missing when the tests were built";

// Writes the common test content into dir: dlg_main.xml, img/bk.png (binary),
// empty.txt, big.txt (highly compressible, 200 KB).
void WriteSkinFiles(const TempDir& dir);
std::string BigText();
std::vector<std::string> SkinFileNames();
// Packs the files of WriteSkinFiles in dir with the project's ZIP writer and
// returns the archive's bytes; empty when an add failed.
std::string PackSkinWithOwnWriter(const TempDir& dir);

}  // namespace zip_test
