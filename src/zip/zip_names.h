// Rules on entry names: separators and which names are stored uncompressed.
#pragma once

#include <string>
#include <string_view>

// The name with every "\" replaced by "/", the separator ZIP readers expect.
std::string ToEntryName(std::string_view ansiName);

// True when the name's extension (from its last ".") marks data that is
// already compressed: .Z .zip .zoo .arc .lzh .arj .gz .tgz, in any case.
bool IsStoredByName(std::string_view entryName);
