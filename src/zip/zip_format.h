// Facts of the ZIP format (PKWARE APPNOTE) shared by the writer and the
// reader: record signatures, fixed record sizes, compression methods and the
// general-purpose flag bits the program looks at. All fields are little-endian.
#pragma once

#include <cstdint>

inline constexpr uint32_t kZipLocalSignature = 0x04034b50;    // "PK\3\4"
inline constexpr uint32_t kZipCentralSignature = 0x02014b50;  // "PK\1\2"
inline constexpr uint32_t kZipEndSignature = 0x06054b50;      // "PK\5\6"

// Sizes of the fixed parts of the records, before names, extras and comments.
inline constexpr uint32_t kZipLocalHeaderSize = 30;
inline constexpr uint32_t kZipCentralHeaderSize = 46;
inline constexpr uint32_t kZipEndRecordSize = 22;
// Longest archive comment, hence how far before the end the end record may sit.
inline constexpr uint32_t kZipMaxCommentSize = 0xFFFF;

inline constexpr uint16_t kZipMethodStored = 0;
inline constexpr uint16_t kZipMethodDeflated = 8;

inline constexpr uint16_t kZipFlagEncrypted = 0x0001;
// Deflated at level 8 ("maximum" in the flag's terms).
inline constexpr uint16_t kZipFlagLevel8 = 0x0002;
// Sizes and CRC follow the data in a descriptor: set while an entry is written.
inline constexpr uint16_t kZipFlagPending = 0x0008;
