// Archives written by Info-ZIP's zip for the archive and skin-resource tests.
#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace skinui_test {

// Runs Info-ZIP's zip in dir over files and returns the archive bytes (empty on
// failure). store selects method 0 for every entry.
std::string ZipWithInfoZip(const TempDir& dir, const std::vector<std::string>& files,
                           bool store);

// Writes the common test content into dir: dlg_main.xml, img/bk.png (binary),
// empty.txt, big.txt (highly compressible, 200 KB).
void WriteSkinFiles(const TempDir& dir);
std::string BigText();
std::vector<std::string> SkinFileNames();

}  // namespace skinui_test
