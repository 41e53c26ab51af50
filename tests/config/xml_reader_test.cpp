// What tree a document reads into, including the dialect's surprises.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "config_test_support.h"

namespace notarel {
namespace {

using test::LoadText;
using test::ParseErrorOf;
using test::W;

TEST(XmlReader, ReadsElementsTextsAndAttributes) {
  TXmlParser parser;
  LoadText(parser,
           "<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\r\n"
           "<settings version=\"2\">\r\n"
           "  <!-- the port -->\r\n"
           "  <PortNumber>1</PortNumber>\r\n"
           "  <Name lang=\"ru\" note=\"a &quot;b&quot; &amp; c\">" + W("Россия") + "</Name>\r\n"
           "  <Empty/>\r\n"
           "</settings>\r\n");
  const TXmlItem& root = parser.Root();
  EXPECT_EQ(root.Name(), "settings");
  EXPECT_EQ(root.Attributes().ValueOf("VERSION"), "2");
  ASSERT_EQ(root.Count(), 3);
  EXPECT_EQ(root.Items(0).Name(), "PortNumber");
  EXPECT_EQ(root.Items(0).Text(), "1");
  const TXmlItem& name = root.Items(1);
  EXPECT_EQ(name.Text(), W("Россия"));
  ASSERT_EQ(name.Attributes().Count(), 2);
  EXPECT_EQ(name.Attributes().Name(0), "lang");
  EXPECT_EQ(name.Attributes().Value(0), "ru");
  EXPECT_EQ(name.Attributes().Value(1), "a \"b\" & c");
  EXPECT_EQ(root.Items(2).Name(), "Empty");
  EXPECT_EQ(root.Items(2).Count(), 0);
  EXPECT_EQ(root.Items(2).Parent(), &root);
}

TEST(XmlReader, AttributeValuesOfTwoBytesOrLessStayAsWritten) {
  TXmlParser parser;
  LoadText(parser, "<a e=\"\" one=\"x\" two=\"xy\" bare=1 raw=\"&lt;\" spaced=\"a b  c\" flag/>");
  const TXmlAttributes& attributes = parser.Root().Items(0).Attributes();
  ASSERT_EQ(attributes.Count(), 7);
  EXPECT_EQ(attributes.Value(0), "\"\"");
  EXPECT_EQ(attributes.Value(1), "x");
  EXPECT_EQ(attributes.Value(2), "xy");
  EXPECT_EQ(attributes.Value(3), "1");
  EXPECT_EQ(attributes.Value(4), "<");
  EXPECT_EQ(attributes.Value(5), "a b c");  // the tag's double spaces are gone before
  EXPECT_EQ(attributes.Name(6), "flag");
  EXPECT_EQ(attributes.Value(6), "");
}

TEST(XmlReader, TagNamesEndAtASpaceOrSlash) {
  TXmlParser parser;
  LoadText(parser, "<r><a/b><c x=\"1/2\"/></a/b><Bill\r\nCode=\"1\">5</Bill></r>");
  const TXmlItem& root = parser.Root();
  ASSERT_EQ(root.Count(), 2);
  EXPECT_EQ(root.Items(0).Name(), "a");
  EXPECT_EQ(root.Items(0).Items(0).Name(), "c");
  EXPECT_EQ(root.Items(0).Items(0).Attributes().ValueOf("x"), "1/2");
  // The line break inside the tag is removed, so the name runs on.
  EXPECT_EQ(root.Items(1).Name(), "BillCode=\"1\"");
  EXPECT_EQ(root.Items(1).Attributes().Count(), 0);
}

TEST(XmlReader, TextIsTrimmedAndJoinedAcrossChildren) {
  TXmlParser parser;
  LoadText(parser, "<a>  one   two\r\nthree  <b/> four </a>");
  EXPECT_EQ(parser.Root().Text(), "one twothree\r\nfour");
  // Each run is unescaped once, whether another run follows it or not:
  // "&amp;lt;" gives "&lt;" in both places.
  LoadText(parser, "<a>&amp;lt;</a>");
  EXPECT_EQ(parser.Root().Text(), "&lt;");
  LoadText(parser, "<a>&amp;lt;<b/>x&amp;gt;<c/>&amp;amp;</a>");
  EXPECT_EQ(parser.Root().Text(), "&lt;\r\nx&gt;\r\n&amp;");
}

TEST(XmlReader, ALineBreakInTextComesBackWithAnExtraElement) {
  TXmlParser parser;
  LoadText(parser, "<a>x<br/>y</a>");
  EXPECT_EQ(parser.Root().Text(), "x\r\ny");
  ASSERT_EQ(parser.Root().Count(), 1);
  EXPECT_EQ(parser.Root().Items(0).Name(), "br");
}

TEST(XmlReader, EndTagNamesAreNotCompared) {
  TXmlParser parser;
  LoadText(parser, "<a><b>1</c><d/></e>");
  ASSERT_EQ(parser.Root().Count(), 2);
  EXPECT_EQ(parser.Root().Items(1).Name(), "d");
}

TEST(XmlReader, EmptyInputGivesAnEmptyRoot) {
  for (const std::string document : {"", " \r\n\t ", "<?xml version=\"1.0\" ?>\r\n<!-- x -->"}) {
    TXmlParser parser;
    parser.Root().SetName("old");
    LoadText(parser, document);
    EXPECT_EQ(parser.Root().Name(), "");
    EXPECT_EQ(parser.Root().Text(), "");
    EXPECT_EQ(parser.Root().Count(), 0);
  }
}

TEST(XmlReader, ALoneEmptyElementBecomesAChildOfAnUnnamedRoot) {
  TXmlParser parser;
  LoadText(parser, "<settings/>");
  EXPECT_EQ(parser.Root().Name(), "");
  ASSERT_EQ(parser.Root().Count(), 1);
  EXPECT_EQ(parser.Root().Items(0).Name(), "settings");
}

TEST(XmlReader, NothingButBlanksMayFollowTheDocumentElement) {
  EXPECT_EQ(ParseErrorOf("<a>\r\n</a>\r\n \r\n"), "no error");
  // A surplus end tag is accepted as the very last token only.
  EXPECT_EQ(ParseErrorOf("<settings/></settings>"), "no error");
  EXPECT_EQ(ParseErrorOf("<a></a></a>"), W("Ошибка в Xml файле on line 1"));
  EXPECT_EQ(ParseErrorOf("<a>\r\n</a>\r\n<!-- late -->"), W("Ошибка в Xml файле on line 3"));
  EXPECT_EQ(ParseErrorOf("<a>\n</a>\n\n<b/>"), W("Ошибка в Xml файле on line 4"));
  EXPECT_EQ(ParseErrorOf("<a></a></a>x"), W("Ошибка в Xml файле on line 1"));
}

TEST(XmlReader, ANulByteEndsTheDocument) {
  TXmlParser parser;
  LoadText(parser, std::string("<a>x</a>\0<b/>garbage", 20));
  EXPECT_EQ(parser.Root().Name(), "a");
  EXPECT_EQ(parser.Root().Count(), 0);
}

TEST(XmlReader, AnUnclosedTagIsAParseError) {
  EXPECT_EQ(ParseErrorOf("<a>\r\n  <b>1</b>\r\n  <c x=\"2\""), "Unclosed tag on line 3");
}

TEST(XmlReader, StyleSheetInstructionInAnyLetterCase) {
  TXmlParser parser;
  LoadText(parser, "<?XML-STYLESHEET type=\"text/xsl\" HREF=\"View.xsl\"?><a/>");
  EXPECT_EQ(parser.StyleSheet(), "View.xsl");
  LoadText(parser, "<?xml-stylesheet href=\"" + W("вид") + ".xsl\"?><a/>");
  EXPECT_EQ(parser.StyleSheet(), W("вид") + ".xsl");
  // Other declarations leave it alone.
  LoadText(parser, "<?xml version=\"1.0\" href=\"no\"?><a/>");
  EXPECT_EQ(parser.StyleSheet(), W("вид") + ".xsl");
}

TEST(XmlReader, AFailedLoadKeepsWhatWasReadBeforeTheError) {
  TXmlParser parser;
  LoadText(parser, "<old><kept/></old>");
  // An error in the first token leaves the previous tree.
  EXPECT_THROW(LoadText(parser, "<never"), EParserError);
  EXPECT_EQ(parser.Root().Name(), "old");
  EXPECT_EQ(parser.Root().Count(), 1);
  // A later error leaves the tree filled up to it.
  EXPECT_THROW(LoadText(parser, "<new><a/><b>2</b></new><c/>"), EParserError);
  EXPECT_EQ(parser.Root().Name(), "new");
  ASSERT_EQ(parser.Root().Count(), 2);
  EXPECT_EQ(parser.Root().Items(1).Text(), "2");
}

// Documents nested far deeper than any call stack could follow.
TEST(XmlReader, DeepNestingIsReadWrittenAndDestroyed) {
  constexpr int kDepth = 300000;
  std::string document;
  for (int i = 0; i < kDepth; ++i) document += "<a>\n";
  document += "deepest\n";
  for (int i = 0; i < kDepth; ++i) document += "</a>\n";
  auto parser = std::make_unique<TXmlParser>();
  LoadText(*parser, document);
  // Without indentation steps the written document stays linear in size.
  TXmlItem* item = &parser->Root();
  int depth = 1;
  for (; item->Count() == 1; ++depth) {
    item->SetCrLfInAsString(false);
    item = &item->Items(0);
  }
  item->SetCrLfInAsString(false);
  EXPECT_EQ(depth, kDepth);
  EXPECT_EQ(item->Text(), "deepest");
  const std::string written = parser->Root().AsString(0);
  // "<a>" CR LF and "</a>" CR LF per level, "deepest" once.
  EXPECT_EQ(written.size(), 11u * kDepth + 5u);
  EXPECT_EQ(written.substr(0, 10), "<a>\r\n<a>\r\n");
  parser.reset();
}

}  // namespace
}  // namespace notarel
