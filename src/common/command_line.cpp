#include "common/command_line.h"

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

}  // namespace

std::vector<std::u16string> SplitCommandLine(const std::u16string& text) {
  std::vector<std::u16string> args;
  size_t i = 0;
  const size_t n = text.size();
  while (true) {
    while (i < n && IsBlank(text[i])) ++i;
    if (i >= n) break;
    std::u16string arg;
    bool quoted = false;
    while (i < n && (quoted || !IsBlank(text[i]))) {
      size_t slashes = 0;
      while (i < n && text[i] == u'\\') ++slashes, ++i;
      if (i < n && text[i] == u'"') {
        arg.append(slashes / 2, u'\\');
        if (slashes % 2 == 1) {
          arg.push_back(u'"');
        } else if (quoted && i + 1 < n && text[i + 1] == u'"') {
          arg.push_back(u'"');  // "" inside a group is a literal quote
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        arg.append(slashes, u'\\');
        if (i < n && (quoted || !IsBlank(text[i]))) arg.push_back(text[i++]);
      }
    }
    args.push_back(std::move(arg));
  }
  return args;
}

std::u16string QuoteArgument(const std::u16string& argument) {
  if (!argument.empty() && argument.find_first_of(u" \t\n\r\"") == std::u16string::npos) {
    return argument;
  }
  std::u16string out = u"\"";
  size_t slashes = 0;
  for (char16_t c : argument) {
    if (c == u'\\') {
      ++slashes;
      continue;
    }
    out.append(c == u'"' ? slashes * 2 + 1 : slashes, u'\\');
    slashes = 0;
    out.push_back(c);
  }
  out.append(slashes * 2, u'\\');
  out.push_back(u'"');
  return out;
}

std::u16string JoinCommandLine(const std::vector<std::u16string>& arguments) {
  std::u16string out;
  for (const auto& arg : arguments) {
    if (!out.empty()) out.push_back(u' ');
    out += QuoteArgument(arg);
  }
  return out;
}
