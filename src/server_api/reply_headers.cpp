#include "server_api/reply_headers.h"

#include "common/text.h"

namespace {

bool IsCharsetChar(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-' ||
         c == u'_';
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// Returns the run of characters after the first occurrence of `tag` that is
// followed by at least one character accepted by `accept`.
template <typename Accept>
std::u16string_view FindTagged(std::u16string_view text, std::u16string_view tag, Accept accept) {
  for (size_t at = text.find(tag); at != std::u16string_view::npos; at = text.find(tag, at + 1)) {
    size_t end = at + tag.size();
    while (end < text.size() && accept(text[end])) ++end;
    if (end > at + tag.size()) return text.substr(at + tag.size(), end - at - tag.size());
  }
  return {};
}

std::u16string_view Trim(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == u'\r')) text.remove_suffix(1);
  return text;
}

// Reads decimal digits at the front of text into *value; false when there are
// none or too many to be a length.
bool TakeNumber(std::u16string_view* text, uint64_t* value) {
  size_t count = 0;
  *value = 0;
  while (count < text->size() && IsDigit((*text)[count])) *value = *value * 10 + ((*text)[count++] - u'0');
  text->remove_prefix(count);
  return count > 0 && count <= 15;
}

bool TakeChar(std::u16string_view* text, char16_t c) {
  if (text->empty() || text->front() != c) return false;
  text->remove_prefix(1);
  return true;
}

}  // namespace

std::optional<std::u16string> FindHeader(std::u16string_view headers, std::u16string_view name) {
  while (!headers.empty()) {
    const size_t end = headers.find(u'\n');
    const std::u16string_view line = headers.substr(0, end);
    headers = end == std::u16string_view::npos ? std::u16string_view() : headers.substr(end + 1);
    if (line.size() > name.size() && line[name.size()] == u':' &&
        EqualsIgnoreAsciiCase(line.substr(0, name.size()), name)) {
      return std::u16string(Trim(line.substr(name.size() + 1)));
    }
  }
  return std::nullopt;
}

std::optional<TContentRange> ParseContentRange(std::u16string_view value) {
  static constexpr std::u16string_view kUnit = u"bytes ";
  if (value.size() < kUnit.size() || !EqualsIgnoreAsciiCase(value.substr(0, kUnit.size()), kUnit)) {
    return std::nullopt;
  }
  value.remove_prefix(kUnit.size());
  TContentRange range;
  if (!TakeNumber(&value, &range.first) || !TakeChar(&value, u'-') || !TakeNumber(&value, &range.last) ||
      !TakeChar(&value, u'/') || !TakeNumber(&value, &range.complete) || !value.empty()) {
    return std::nullopt;
  }
  if (range.first > range.last || range.last >= range.complete) return std::nullopt;
  return range;
}

std::u16string FindCharset(std::u16string_view headers) {
  return std::u16string(FindTagged(headers, u"charset=", IsCharsetChar));
}

std::optional<uint64_t> FindContentLength(std::u16string_view headers) {
  const std::u16string_view digits = FindTagged(headers, u"Content-Length: ", IsDigit);
  if (digits.empty() || digits.size() > 15) return std::nullopt;
  uint64_t value = 0;
  for (char16_t c : digits) value = value * 10 + (c - u'0');
  return value;
}

std::u16string JoinSetCookies(std::u16string_view headers) {
  static constexpr std::u16string_view kTag = u"Set-Cookie:";
  std::u16string joined;
  for (size_t at = headers.find(kTag); at != std::u16string_view::npos; at = headers.find(kTag, at + 1)) {
    size_t end = headers.find(u'\n', at);
    if (end == std::u16string_view::npos) end = headers.size();
    const std::u16string_view value = Trim(headers.substr(at + kTag.size(), end - at - kTag.size()));
    if (!joined.empty()) joined += u"; ";
    joined += value;
  }
  joined = std::u16string(Trim(joined));
  if (!joined.empty() && joined.back() != u';') joined += u';';
  return joined;
}

std::vector<std::u16string> MergeHeaderLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  std::vector<std::u16string_view> names;
  while (!text.empty()) {
    size_t end = text.find(u'\n');
    const std::u16string_view line = Trim(text.substr(0, end));
    text = end == std::u16string_view::npos ? std::u16string_view() : text.substr(end + 1);
    const size_t colon = line.find(u':');
    if (line.empty() || colon == std::u16string_view::npos || colon == 0) continue;
    const std::u16string_view name = line.substr(0, colon);
    const std::u16string_view value = Trim(line.substr(colon + 1));
    size_t i = 0;
    while (i < names.size() && !EqualsIgnoreAsciiCase(names[i], name)) ++i;
    if (i == names.size()) {
      names.push_back(name);
      lines.push_back(std::u16string(name) + u": " + std::u16string(value));
    } else {
      lines[i] += u"; " + std::u16string(value);
    }
  }
  return lines;
}
