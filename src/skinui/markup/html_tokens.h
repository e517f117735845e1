// Tokens of the html-like text markup: text runs, tags and line feeds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace SkinUI {

struct THtmlToken {
  enum EKind { kText, kTag, kLineFeed };
  EKind kind = kText;
  std::u16string text;  // text of a run; argument of a tag (trimmed)
  char16_t tag = 0;     // the tag letter
  bool closing = false;
};

// Splits text into tokens. Tags are "{x ...}" or "<x ...>" with one lowercase
// letter, closing tags "{/x}"; the escapes "<{>", "<}>", "{<}" and "{>}" give
// the bracket they hold; "{r}" ... "{/r}" is raw text. With plain set there are
// no tags or escapes, only text and line feeds.
std::vector<THtmlToken> TokenizeHtml(std::u16string_view text, bool plain);

}  // namespace SkinUI
