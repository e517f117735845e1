#include <gtest/gtest.h>

#include "common/text.h"

TEST(Text, RoundTripsChineseAndAstralCharacters) {
  const std::u16string text = u"奥凡 在线升级 \U0001F600 abc";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
  EXPECT_EQ(Utf16ToUtf8(u"奥凡"), "\xE5\xA5\xA5\xE5\x87\xA1");
}

TEST(Text, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("a\xFF"
                        "b"),
            u"a\uFFFDb");
  EXPECT_EQ(Utf8ToUtf16("\xE5\xA5"), u"\uFFFD\uFFFD");  // truncated sequence
  EXPECT_EQ(Utf8ToUtf16("\xC0\x80"), u"\uFFFD\uFFFD");  // overlong NUL
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

TEST(Text, AsciiCaseFoldingLeavesOtherCharactersAlone) {
  EXPECT_TRUE(EqualsIgnoreAsciiCase(u"Explorer.EXE", u"explorer.exe"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase(u"explorer.exe", u"explorer.ex"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase(u"Ä", u"ä"));
  // The narrow form, for names read as bytes (archive entries, hex text).
  EXPECT_TRUE(EqualsIgnoreAsciiCase("Skin/DLG_Main.xml", "skin/dlg_main.XML"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase("\xC3\x84", "\xC3\xA4"));
  EXPECT_EQ(AsciiToLower('Q'), 'q');
  EXPECT_EQ(AsciiToLower('['), '[');
}

// The ASCII fast path must hand over to the full decoder wherever a
// multi-byte character starts, and its spare stores must stay inside the
// text.size() units the caller provides.
TEST(Text, MultiByteCharactersAtEveryOffsetOfTheAsciiFastPath) {
  for (size_t tail : {0, 1, 17}) {
    for (size_t at = 0; at < 40; ++at) {
      const std::string utf8 = std::string(at, 'a') + "\xE5\xA5\xA5\xC3\xA9" + std::string(tail, 'b');
      const std::u16string expected = std::u16string(at, u'a') + u"奥é" + std::u16string(tail, u'b');
      std::u16string buffer(utf8.size() + 8, u'#');
      const size_t written = Utf8ToUtf16(utf8, buffer.data());
      EXPECT_EQ(buffer.substr(0, written), expected) << "at " << at << ", tail " << tail;
      EXPECT_EQ(buffer.substr(utf8.size()), u"########") << "at " << at << ", tail " << tail;
    }
  }
}

TEST(Text, ShortSequencesAndTheirMalformedForms) {
  EXPECT_EQ(Utf8ToUtf16("\xC3\xA9t\xC3\xA9"), u"été");
  EXPECT_EQ(Utf8ToUtf16("\xE5\xA5\xA5"), u"奥");  // a three-byte sequence that ends the text
  EXPECT_EQ(Utf8ToUtf16("\xE5\xA5\xA5\xE5\x87\xA1"), u"奥凡");
  EXPECT_EQ(Utf8ToUtf16("\xC1\xBF"), u"\uFFFD\uFFFD");            // overlong two-byte form
  EXPECT_EQ(Utf8ToUtf16("\xE0\x9F\xBF"), u"\uFFFD\uFFFD\uFFFD");  // overlong three-byte form
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // an encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
}
