// The exact bytes the writer produces, and documents that survive a round trip.
#include <gtest/gtest.h>

#include <string>

#include "config_test_support.h"
#include "xml_elements.h"

namespace notarel {
namespace {

using test::LoadText;
using test::SavedText;
using test::W;

const std::string kHeader = "<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\r\n";

TEST(XmlWriter, WritesTheHeaderAndOneElementPerLine) {
  EXPECT_EQ(kHeader.size(), 48u);
  TXmlParser parser;
  parser.Root().SetName("settings");
  AddElement(parser.Root(), "PortNumber", "1");
  EXPECT_EQ(SavedText(parser),
            kHeader + "<settings>\r\n  <PortNumber>1</PortNumber>\r\n</settings>\r\n");
}

TEST(XmlWriter, IndentsTwoSpacesPerLevelAndClosesEmptyElements) {
  TXmlParser parser;
  TXmlItem& root = parser.Root();
  root.SetName("r");
  TXmlItem& a = AddElement(root, "a");
  AddElement(AddElement(a, "b"), "c", "3");
  AddElement(a, "blank", "   ");
  root.Attributes().Add("k", "v");
  root.Attributes().Add("q", "a\"<&>'b c");
  EXPECT_EQ(root.AsString(0),
            "<r k=\"v\" q=\"a&quot;&lt;&amp;&gt;'b c\">\r\n"
            "  <a>\r\n"
            "    <b>\r\n"
            "      <c>3</c>\r\n"
            "    </b>\r\n"
            "    <blank/>\r\n"
            "  </a>\r\n"
            "</r>\r\n");
  EXPECT_EQ(a.AsString(3), "   <a>\r\n     <b>\r\n       <c>3</c>\r\n     </b>\r\n"
                           "     <blank/>\r\n   </a>\r\n");
}

TEST(XmlWriter, TextWithChildrenRestartsTheIndentation) {
  TXmlParser parser;
  parser.Root().SetName("r");
  TXmlItem& a = AddElement(parser.Root(), "a", " t<x> ");
  AddElement(a, "b");
  EXPECT_EQ(parser.Root().AsString(0),
            "<r>\r\n  <a>t&lt;x&gt;\r\n  <b/>\r\n</a>\r\n</r>\r\n");
}

TEST(XmlWriter, TheLayoutFlagTakesOutIndentationAndLineEnds) {
  TXmlParser parser;
  TXmlItem& root = parser.Root();
  root.SetName("r");
  parser.SetCrLfInAsString(false);
  TXmlItem& x = AddElement(root, "x");
  AddElement(root, "y");
  AddElement(AddElement(root, "z"), "w");
  EXPECT_EQ(root.AsString(0), "<r>\r\n<x/>\r\n<y/>\r\n<z>\r\n  <w/>\r\n</z>\r\n</r>\r\n");
  x.SetCrLfInAsString(false);
  EXPECT_FALSE(parser.CrLfInAsString());
  EXPECT_EQ(root.AsString(0), "<r>\r\n<x/><y/>\r\n<z>\r\n  <w/>\r\n</z>\r\n</r>\r\n");
}

TEST(XmlWriter, WritesTheStyleSheetUnlessAskedNotTo) {
  TXmlParser parser;
  parser.Root().SetName("a");
  parser.SetStyleSheet("view.xsl");
  const std::string instruction = "<?Xml-stylesheet type=\"text/xsl\" href=\"view.xsl\"?>\r\n";
  EXPECT_EQ(SavedText(parser), kHeader + instruction + "<a/>\r\n");
  EXPECT_EQ(SavedText(parser, true), kHeader + "<a/>\r\n");
  parser.SetStyleSheet("  ");
  EXPECT_EQ(SavedText(parser), kHeader + "<a/>\r\n");
}

TEST(XmlWriter, ALineBreakInTextIsWrittenAsBr) {
  TXmlParser parser;
  parser.Root().SetName("a");
  parser.Root().SetText("x\r\ny");
  EXPECT_EQ(SavedText(parser), kHeader + "<a>x<br/>y</a>\r\n");
}

// Texts with line breaks, blanks and escapes around them. Reading back what
// was written gives each one's `read`, and writing that text again gives the
// same bytes; where nothing is lost, `read` is the text itself.
TEST(XmlWriter, TextsWithLineBreaksReadBackAsWrittenAndWriteAgainTheSame) {
  struct Case {
    const char* text;
    const char* read;
  };
  const Case cases[] = {
      {"&amp;\r\n<b>", "&amp;\r\n<b>"},          // each part unescaped once
      {"&lt;br/&gt;\r\n&quot;", "&lt;br/&gt;\r\n&quot;"},
      {"a\tb\r\nc d", "a\tb\r\nc d"},            // blanks inside a line stay
      {"a \r\n b", "a\r\nb"},                     // blanks beside a break cannot be read back
      {"x\r\r\r\n\n\ny", "x\r\ny"},
      {"\r\nx\r\n\r\ny\r\n", "x\r\ny"},          // nor empty lines
      {"a\n\n\r\rb\r\nc", "ab\r\nc"},           // nor what the reader's clean-up takes away
      {" \r\n ", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
    TXmlParser parser;
    parser.Root().SetName("a");
    parser.Root().SetText(c.text);
    const std::string first = SavedText(parser);
    TXmlParser reread;
    LoadText(reread, first);
    EXPECT_EQ(reread.Root().Text(), c.read);
    // Each "<br/>" also comes back as an empty child; the text alone is
    // written again.
    TXmlParser again;
    again.Root().SetName("a");
    again.Root().SetText(reread.Root().Text());
    EXPECT_EQ(SavedText(again), first);
  }
}

// A tree with everything the dialect can carry faithfully: nesting, texts
// with every escaped byte and Cyrillic, attributes with spaces and escapes,
// self-closing elements and a style sheet.
void BuildFaithfulTree(TXmlParser& parser) {
  parser.SetStyleSheet("style.xsl");
  TXmlItem& root = parser.Root();
  root.SetName("document");
  root.Attributes().Add("title", W("Проба \"кавычек\" & <скобок>"));
  TXmlItem& list = AddElement(root, W("Список"));
  for (int i = 0; i < 3; ++i) {
    TXmlItem& entry = AddElement(list, "Entry", W("значение ") + std::to_string(i) + " & <i>");
    entry.Attributes().Add("n", std::to_string(i));
    entry.Attributes().Add("apostrophe", "it's");
  }
  AddElement(list, "Empty");
  AddElement(AddElement(root, "Deep"), "Deeper", "\"quoted\" 'single' &amp;");
}

TEST(XmlWriter, ADocumentReadBackIsWrittenAgainByteForByte) {
  TXmlParser original;
  BuildFaithfulTree(original);
  const std::string first = SavedText(original);
  TXmlParser reread;
  LoadText(reread, first);
  EXPECT_EQ(SavedText(reread), first);
  EXPECT_EQ(reread.StyleSheet(), "style.xsl");
  EXPECT_EQ(reread.Root().Attributes().Value(0), original.Root().Attributes().Value(0));
  EXPECT_EQ(reread.Root().Items(1).Items(0).Text(), "\"quoted\" 'single' &amp;");
}

}  // namespace
}  // namespace notarel
