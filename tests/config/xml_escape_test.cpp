// The five escapes, applied in their fixed orders, and decimal texts.
#include <gtest/gtest.h>

#include "config_errors.h"
#include "int_text.h"
#include "xml_escape.h"

namespace notarel {
namespace {

TEST(XmlEscape, EscapesAmpersandFirstAndLineBreaksLast) {
  EXPECT_EQ(XmlEscape("a&b<c>\"d'e"), "a&amp;b&lt;c&gt;&quot;d'e");
  EXPECT_EQ(XmlEscape("&lt;"), "&amp;lt;");
  // The break is replaced after the angle brackets, so its own brackets stay.
  EXPECT_EQ(XmlEscape("a\r\nb<"), "a<br/>b&lt;");
  // Lone CR and LF are not line breaks of the dialect.
  EXPECT_EQ(XmlEscape("a\rb\nc\n\r"), "a\rb\nc\n\r");
  EXPECT_EQ(XmlEscape("plain"), "plain");
}

TEST(XmlEscape, UnescapesLineBreaksFirstAndAmpersandLast) {
  EXPECT_EQ(XmlUnescape("a&amp;b&lt;c&gt;&quot;d'e"), "a&b<c>\"d'e");
  EXPECT_EQ(XmlUnescape("a<br/>b"), "a\r\nb");
  // &amp; goes last, so an escaped entity comes back as that entity's text.
  EXPECT_EQ(XmlUnescape("&amp;lt;"), "&lt;");
  EXPECT_EQ(XmlUnescape("&amp;quot;"), "&quot;");
  // "<br/>" is looked for before &lt; and &gt; are undone.
  EXPECT_EQ(XmlUnescape("&lt;br/&gt;"), "<br/>");
  // Nothing else is an entity.
  EXPECT_EQ(XmlUnescape("&apos;&#65;&nbsp;<BR/>"), "&apos;&#65;&nbsp;<BR/>");
}

TEST(XmlEscape, EscapedTextUnescapesToItself) {
  for (const char* text : {"a & b", "<tag attr=\"v\">", "&amp;&lt;", "line\r\nnext", "'"}) {
    EXPECT_EQ(XmlUnescape(XmlEscape(text)), text);
  }
}

TEST(XmlEscape, ReplaceAllScansOnceLeftToRight) {
  EXPECT_EQ(ReplaceAll("aaaa", "aa", "a"), "aa");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAll("xbx", "x", "yx"), "yxbyx");
}

TEST(IntText, ReadsSignedDecimalWithinThirtyTwoBits) {
  EXPECT_EQ(StrToInt("643"), 643);
  EXPECT_EQ(StrToInt("-15"), -15);
  EXPECT_EQ(StrToInt("+7"), 7);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(IntToStr(-2147483647 - 1), "-2147483648");
  EXPECT_EQ(IntToStr(100), "100");
}

TEST(IntText, RefusesAnythingElseWithTheConversionMessage) {
  for (const char* text : {"", "-", "12a", " 1", "1 ", "0x10", "2147483648", "-2147483649", "1.0"}) {
    try {
      StrToInt(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const EConvertError& error) {
      EXPECT_EQ(std::string(error.what()), std::string("'") + text + "' is not a valid integer value");
    }
  }
}

}  // namespace
}  // namespace notarel
