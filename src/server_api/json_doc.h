// JSON documents of server replies (jansson) and the reads the API client
// makes of them. A member that is missing or of another type reads as 0 or
// the empty text.
#pragma once

#include <jansson.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct JsonDecref {
  void operator()(json_t* value) const { json_decref(value); }
};
// An owned reference to a JSON value; released when it goes out of scope.
using JsonPtr = std::unique_ptr<json_t, JsonDecref>;

// Parses UTF-8 JSON text; null when it does not parse.
JsonPtr ParseJson(std::string_view utf8);

// The member's integer value as int32; 0 when missing or not a JSON integer.
int32_t JsonIntMember(const json_t* object, const char* key);
// The member's string value as UTF-16; empty when missing or not a string.
std::u16string JsonStringMember(const json_t* object, const char* key);
// The value's string as UTF-16; empty when it is not a string.
std::u16string JsonStringValue(const json_t* value);
// The value serialised as compact JSON (no blanks between tokens), as UTF-16.
std::u16string CompactJsonText(const json_t* value);

// Copies text and its terminator into buffer (size in characters). A text
// that does not fit is not cut: nothing is copied and the result is false.
[[nodiscard]] bool CopyBounded(std::u16string_view text, char16_t* buffer, size_t size);
