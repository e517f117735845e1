#include "server_api/json_doc.h"

#include <cstdlib>

#include "common/text.h"

JsonPtr ParseJson(std::string_view utf8) {
  json_error_t error;
  return JsonPtr(json_loadb(utf8.data(), utf8.size(), 0, &error));
}

int32_t JsonIntMember(const json_t* object, const char* key) {
  const json_t* value = json_object_get(object, key);
  return json_is_integer(value) ? static_cast<int32_t>(json_integer_value(value)) : 0;
}

std::u16string JsonStringValue(const json_t* value) {
  if (!json_is_string(value)) return {};
  return Utf8ToUtf16(std::string_view(json_string_value(value), json_string_length(value)));
}

std::u16string JsonStringMember(const json_t* object, const char* key) {
  return JsonStringValue(json_object_get(object, key));
}

std::u16string CompactJsonText(const json_t* value) {
  char* text = json_dumps(value, JSON_COMPACT | JSON_ENCODE_ANY);
  if (text == nullptr) return {};
  std::u16string wide = Utf8ToUtf16(text);
  std::free(text);
  return wide;
}

bool CopyBounded(std::u16string_view text, char16_t* buffer, size_t size) {
  if (buffer == nullptr || text.size() >= size) return false;
  text.copy(buffer, text.size());
  buffer[text.size()] = u'\0';
  return true;
}
