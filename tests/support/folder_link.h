// A link to a folder, as a user makes one in a path the program uses: a
// symbolic link on POSIX and on Windows; under Wine, which makes none of
// its own, a symbolic link of the host's file system.
#pragma once

#include <filesystem>
#include <string>

// Makes link lead to the folder target, replacing a link there. False, with
// *why, when this system cannot make one.
bool MakeFolderLink(const std::filesystem::path& target, const std::filesystem::path& link, std::string* why);
// Removes such a link, never what it leads to.
void RemoveFolderLink(const std::filesystem::path& link);
