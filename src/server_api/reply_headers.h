// Reading the few values the transport takes from raw reply headers, and
// shaping the caller's extra request headers into lines.
// Matching is case-sensitive, as the transport has always done it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The first "charset=" followed by at least one of A-Z a-z 0-9 - _ ; empty when none.
std::u16string FindCharset(std::u16string_view headers);

// The first "Content-Length: " followed by decimal digits; nullopt when absent
// or too large to be a length.
std::optional<uint64_t> FindContentLength(std::u16string_view headers);

// The value of the first header line named name (ASCII case ignored), without
// surrounding blanks; nullopt when there is none.
std::optional<std::u16string> FindHeader(std::u16string_view headers, std::u16string_view name);

// A "Content-Range: bytes first-last/complete" value.
struct TContentRange {
  uint64_t first = 0;
  uint64_t last = 0;      // inclusive
  uint64_t complete = 0;  // length of the whole representation
};
// nullopt unless value has that form with first <= last < complete.
std::optional<TContentRange> ParseContentRange(std::u16string_view value);

// Every "Set-Cookie:" value joined with "; ", trimmed, ending in ";"; empty
// when the reply sets no cookie.
std::u16string JoinSetCookies(std::u16string_view headers);

// Splits CRLF-separated header lines, drops empty ones and merges lines of the
// same name (compared without regard to ASCII case) into one, their values
// separated by "; ", in the order the names first appear.
std::vector<std::u16string> MergeHeaderLines(std::u16string_view text);
