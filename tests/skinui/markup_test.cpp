#include "skinui/markup/markup.h"

#include <gtest/gtest.h>

#include "common/text.h"

namespace SkinUI {
namespace {

TEST(Markup, ElementTableGrowsByHalfPlus500) {
  std::u16string text = u"<r>";
  for (int i = 0; i < 1400; ++i) text += u"<e/>";
  text += u"</r>";
  CUIMarkup markup;
  ASSERT_TRUE(markup.LoadFromText(text));
  EXPECT_EQ(markup.GetElementCount(), 1402);
  // 500 -> 500 + 250 + 500 = 1250 -> 1250 + 625 + 500 = 2375
  EXPECT_EQ(markup.GetElementCapacity(), 2375);
  int count = 0;
  for (CUIMarkupNode n = markup.GetRoot().GetChild(); n.IsValid(); n = n.GetSibling()) ++count;
  EXPECT_EQ(count, 1400);
}

TEST(Markup, NodeQueriesOnInvalidAndValidNodes) {
  CUIMarkupNode none;
  EXPECT_FALSE(none.IsValid());
  EXPECT_EQ(none.GetName(), nullptr);
  EXPECT_EQ(none.GetAttributeValue(0), nullptr);
  EXPECT_EQ(none.GetAttributeCount(), 0);
  EXPECT_FALSE(none.GetChild().IsValid());

  CUIMarkup markup(u"<Window size=\"650,430\" caption=\"0,0,0,36\"><Label/></Window>");
  ASSERT_TRUE(markup.IsValid());
  CUIMarkupNode root = markup.GetRoot();
  EXPECT_EQ(std::u16string(root.GetName()), u"Window");
  EXPECT_TRUE(root.HasChildren());
  EXPECT_TRUE(root.HasAttributes());
  EXPECT_EQ(std::u16string(root.GetAttributeValue(5)), u"");
  EXPECT_EQ(std::u16string(root.GetAttributeName(-1)), u"");
  char16_t buffer[8];
  ASSERT_TRUE(root.GetAttributeValue(u"caption", buffer, 4));
  EXPECT_EQ(std::u16string(buffer), u"0,0,");
  EXPECT_FALSE(root.GetAttributeValue(u"Caption", buffer, 4));
  CUIMarkupNode label = root.GetChild();
  EXPECT_FALSE(label.HasAttributes());
  EXPECT_FALSE(label.GetAttributeValue(u"x", buffer, 4));
  EXPECT_FALSE(label.GetSibling().IsValid());
  EXPECT_FALSE(label.HasChildren());
}

TEST(Markup, EmptyDocumentHasNoRoot) {
  CUIMarkup markup;
  ASSERT_TRUE(markup.LoadFromText(u"  <!-- only -->  "));
  EXPECT_TRUE(markup.IsValid());
  EXPECT_EQ(markup.GetElementCount(), 1);
  EXPECT_FALSE(markup.GetRoot().IsValid());
}

TEST(Markup, FailureReleasesAndKeepsTruncatedErrorFields) {
  CUIMarkup markup(u"<a/>");
  ASSERT_TRUE(markup.IsValid());
  std::u16string text = u"<r><a><b>" + std::u16string(80, u'x');
  EXPECT_FALSE(markup.LoadFromText(text));
  EXPECT_FALSE(markup.IsValid());
  EXPECT_FALSE(markup.GetRoot().IsValid());
  EXPECT_EQ(std::u16string(markup.GetLastErrorMessage()), u"Expected end-tag start");
  EXPECT_EQ(markup.GetLastErrorPosition(), static_cast<long>(text.size()));

  EXPECT_FALSE(markup.LoadFromText(u"x" + std::u16string(80, u'y')));
  EXPECT_EQ(std::u16string(markup.GetLastErrorLocation()).size(), 49u);
  EXPECT_EQ(markup.GetLastErrorPosition(), 0);
  ASSERT_TRUE(markup.LoadFromText(u"<ok/>"));
  EXPECT_EQ(std::u16string(markup.GetLastErrorMessage()), u"");
}

// A document may be reloaded from a text inside itself (an element's
// decoded value, here); the old text must outlive the copy.
TEST(Markup, ReloadsFromItsOwnText) {
  CUIMarkup markup;
  ASSERT_TRUE(markup.LoadFromText(u"<a>&lt;b c=\"1\"/&gt;</a>"));
  ASSERT_TRUE(markup.LoadFromText(markup.GetRoot().GetValue()));
  CUIMarkupNode root = markup.GetRoot();
  EXPECT_EQ(std::u16string_view(root.GetName()), u"b");
  EXPECT_EQ(std::u16string_view(root.GetAttributeValue(0)), u"1");
}

TEST(Markup, BigEndianInputIsSwappedInTheCallersBytes) {
  std::vector<uint8_t> bytes = {0xFE, 0xFF, 0x00, '<', 0x00, 'a', 0x00, '/', 0x00, '>'};
  CUIMarkup markup;
  ASSERT_TRUE(markup.LoadFromMemory(bytes.data(), bytes.size(), CUIMarkup::kUtf16));
  EXPECT_EQ(std::u16string(markup.GetRoot().GetName()), u"a");
  EXPECT_EQ(bytes[2], '<');
  EXPECT_EQ(bytes[3], 0x00);
}

TEST(Markup, CollapsesBlanksOnlyWhenWhitespaceIsNotPreserved) {
  CUIMarkup markup;
  markup.SetPreserveWhitespace(false);
  ASSERT_TRUE(markup.LoadFromText(u"<a t=\"x   y\">p \n q</a>"));
  CUIMarkupNode root = markup.GetRoot();
  EXPECT_EQ(std::u16string(root.GetAttributeValue(0)), u"x y");
  EXPECT_EQ(std::u16string(root.GetValue()), u"p q");
}

}  // namespace
}  // namespace SkinUI

namespace SkinUI {
namespace {

// Values, text, comments and blank runs of every length around the eight
// units the scanners step by, ending at every distance from the text's end.
TEST(Markup, RunsOfEveryLengthUpToTheEndOfTheText) {
  for (size_t n = 0; n < 40; ++n) {
    const std::u16string run(n, u'v');
    CUIMarkup markup;
    ASSERT_TRUE(markup.LoadFromText(u"<a k=\"" + run + u"&amp;" + run + u"\">" + run + u"</a>" +
                                    std::u16string(n, u' ')));
    CUIMarkupNode root = markup.GetRoot();
    EXPECT_EQ(std::u16string(root.GetAttributeValue(0)), run + u"&" + run);
    EXPECT_EQ(std::u16string(root.GetValue()), run);

    ASSERT_TRUE(markup.LoadFromText(u"<a/><!--" + run + u"- -->" + std::u16string(n, u'\n')));
    EXPECT_EQ(std::u16string(markup.GetRoot().GetName()), u"a");
    ASSERT_TRUE(markup.LoadFromText(u"<a/><!--" + run)) << n;  // an open comment runs to the end
    EXPECT_FALSE(markup.LoadFromText(u"<a k=\"" + run));
    EXPECT_EQ(std::u16string(markup.GetLastErrorMessage()), u"Error while parsing attribute string");
    EXPECT_EQ(markup.GetLastErrorPosition(), static_cast<long>(6 + n));
  }
}

}  // namespace
}  // namespace SkinUI
