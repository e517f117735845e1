// Archives written by Info-ZIP's zip for the archive and skin-resource tests,
// packed at build time by make_infozip_archives.py on the build machine.
#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace skinui_test {

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

}  // namespace skinui_test
