// The program's folders and the test-mode marker.
#pragma once

#include <string>

// The folder of the running program, ending with the path separator; empty
// when the program's file name cannot be had or holds no separator.
std::u16string GetModuleDir();
// "InstallPath" of the application settings with a separator appended when
// it lacks one; else the program folder.
std::u16string GetInstallDir();
// "AppDataPath" of the application settings (a REG_EXPAND_SZ expanded) with a
// separator appended when it lacks one; else, and when that is not an
// absolute path, the user's application-data folder + "Brightfen" + "Folio"
// (with separators), created when missing. Empty when the application-data
// folder is unknown.
std::u16string GetDataDir();
// Creates the missing folders of path, which ends with a separator. Errors are
// ignored: the caller's later file operation reports them.
void EnsureDirectoryChain(const std::u16string& path);
// Creates the missing folders of path, which ends with a separator, and tells
// whether path is then a folder itself. False for a link or junction to one:
// a folder that its owner can swap for a link elsewhere is not written into
// by a process with more rights than that owner.
[[nodiscard]] bool EnsureRealFolder(const std::u16string& path);
// True while the file "AppTest.txt" exists in the product data folder.
bool IsTestMode();
