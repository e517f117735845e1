// Rules on entry names: separators and which names are stored uncompressed.
#pragma once

#include <string>
#include <string_view>

// The name in the ANSI code page with every "\" replaced by "/", the
// separator ZIP readers expect. The backslashes are replaced before the
// conversion: in a double-byte code page such as GBK (936) the byte 0x5C
// also occurs as the second byte of a character ("乗" is 0x81 0x5C), which
// must stay as it is.
std::string ToEntryName(std::u16string_view name);

// True when the name's extension (from its last ".") marks data that is
// already compressed: .Z .zip .zoo .arc .lzh .arj .gz .tgz, in any case.
bool IsStoredByName(std::string_view entryName);
