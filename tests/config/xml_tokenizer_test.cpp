// How the reader cuts bytes into tokens: kinds, cleaned text, line numbers,
// the window and its refills, and where the stream is left afterwards.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "config_errors.h"
#include "xml_tokenizer.h"

namespace notarel {
namespace {

struct Token {
  TXmlTokenKind kind;
  std::string text;
  int line;
  bool operator==(const Token& other) const {
    return kind == other.kind && text == other.text && line == other.line;
  }
};

std::ostream& operator<<(std::ostream& out, const Token& token) {
  return out << static_cast<int>(token.kind) << " '" << token.text << "' line " << token.line;
}

std::vector<Token> Tokens(const std::string& data,
                          std::size_t window = TXmlTokenizer::kWindowSize) {
  std::istringstream stream(data);
  TXmlTokenizer tokenizer(stream, window);
  std::vector<Token> tokens;
  for (; tokenizer.Kind() != TXmlTokenKind::EndOfInput; tokenizer.NextToken()) {
    tokens.push_back({tokenizer.Kind(), tokenizer.Text(), tokenizer.Line()});
  }
  return tokens;
}

TXmlTokenKind KindOf(const std::string& data) {
  std::istringstream stream(data);
  return TXmlTokenizer(stream).Kind();
}

std::string ErrorOf(const std::string& data, std::size_t window = TXmlTokenizer::kWindowSize) {
  try {
    Tokens(data, window);
  } catch (const EParserError& error) {
    return error.what();
  }
  return "no error";
}

constexpr auto kEnd = TXmlTokenKind::EndOfInput;
constexpr auto kComment = TXmlTokenKind::Comment;
constexpr auto kDeclaration = TXmlTokenKind::Declaration;
constexpr auto kText = TXmlTokenKind::Text;
constexpr auto kStart = TXmlTokenKind::StartTag;
constexpr auto kEndTag = TXmlTokenKind::EndTag;
constexpr auto kEmpty = TXmlTokenKind::EmptyTag;

TEST(XmlTokenizer, ClassifiesTagsByTheirFirstAndLastBytes) {
  EXPECT_EQ(KindOf("<?xml version=\"1.0\" ?>"), kDeclaration);
  EXPECT_EQ(KindOf("<?XmL-stylesheet href=\"a\"?>"), kDeclaration);
  EXPECT_EQ(KindOf("<?other?>"), kStart);
  EXPECT_EQ(KindOf("<!-- note -->"), kComment);
  EXPECT_EQ(KindOf("<!DOCTYPE x>"), kStart);
  EXPECT_EQ(KindOf("<a/>"), kEmpty);
  EXPECT_EQ(KindOf("<a x=\"1\" />"), kEmpty);
  EXPECT_EQ(KindOf("</a>"), kEndTag);
  EXPECT_EQ(KindOf("</a/>"), kEmpty);  // "/>" is tested before "</"
  EXPECT_EQ(KindOf("<a>"), kStart);
  EXPECT_EQ(KindOf("text"), kText);
  EXPECT_EQ(KindOf(""), kEnd);
  EXPECT_EQ(KindOf(" \t\r\n "), kEnd);
}

TEST(XmlTokenizer, EveryTagEndsAtItsFirstClosingBracket) {
  const std::vector<Token> expected = {{kComment, "<!-- a >", 1},
                                       {kText, "b -->", 1},
                                       {kStart, "<a x=\">", 1},
                                       {kText, "\">", 1}};
  EXPECT_EQ(Tokens("<!-- a > b --><a x=\">\">"), expected);
}

TEST(XmlTokenizer, TextRunsAreTrimmedAndCleaned) {
  // CR LF inside a run disappears; runs of spaces become one; tabs and lone
  // CRs stay; bytes from 128 up are not blanks.
  const std::vector<Token> expected = {{kStart, "<a>", 1},      {kText, "one two", 1},
                                       {kEndTag, "</a>", 2},    {kText, "xy", 2},
                                       {kEmpty, "<i/>", 2},     {kText, "x y", 2},
                                       {kEmpty, "<i/>", 3},     {kText, "a\tb\rc", 3},
                                       {kEmpty, "<i/>", 3},     {kText, "\xE0\xFF", 3}};
  EXPECT_EQ(Tokens("<a>  one    two \r\n </a>x\r\ny<i/>x  y\n<i/>a\tb\rc<i/>\xE0\xFF"),
            expected);
}

TEST(XmlTokenizer, TokenTextRemovesPairsInOnePassEach) {
  // CR LF pairs go first, then LF CR pairs; neither pass looks again at what it joined.
  EXPECT_EQ(Tokens("x\r\r\n\ny")[0].text, "x\r\ny");
  EXPECT_EQ(Tokens("x\n\r\n\ry")[0].text, "xy");
  EXPECT_EQ(Tokens("x\n\n\r\ry")[0].text, "x\n\ry");
  EXPECT_EQ(Tokens("<a\r\nb=\"1\">")[0].text, "<ab=\"1\">");
  EXPECT_EQ(Tokens("<a  b=\"x   y\">")[0].text, "<a b=\"x y\">");
}

TEST(XmlTokenizer, CountsOnlyTheLineFeedsBetweenTokens) {
  // The LF inside <c LF d> and the one inside the text run are not counted.
  const std::vector<Token> expected = {{kStart, "<a>", 1},    {kEmpty, "<b/>", 3},
                                       {kStart, "<cd>", 4},   {kText, "x\ny", 5},
                                       {kEndTag, "</cd>", 6}, {kEndTag, "</a>", 7}};
  EXPECT_EQ(Tokens("<a>\n\n<b/>\r\n<c\r\nd>\n  x\ny\n</cd>\n</a>"), expected);
  EXPECT_EQ(Tokens("<a>\n<c\nd>\n</a>")[2].line, 3);
}

TEST(XmlTokenizer, ANulByteEndsTheInput) {
  const std::string data("<a>x</a>\0<b/>", 13);
  EXPECT_EQ(Tokens(data), (std::vector<Token>{{kStart, "<a>", 1},
                                              {kText, "x", 1},
                                              {kEndTag, "</a>", 1}}));
  EXPECT_EQ(Tokens(std::string("te\0xt", 5)), (std::vector<Token>{{kText, "te", 1}}));
}

TEST(XmlTokenizer, AnUnclosedTagStopsAtTheEndOfTheData) {
  EXPECT_EQ(ErrorOf("<a>\n<b x=\"1\""), "Unclosed tag on line 2");
  EXPECT_EQ(ErrorOf(std::string("<a>\n\n<b\0>", 9)), "Unclosed tag on line 3");
  // Small windows put the end of the data at every possible distance from the tag.
  for (std::size_t window = 8; window < 24; ++window) {
    EXPECT_EQ(ErrorOf("<r>\n<a>\n<bbbbbb", window), "Unclosed tag on line 3") << window;
  }
}

TEST(XmlTokenizer, RefusesALineLongerThanTheWindow) {
  const std::string longLine(TXmlTokenizer::kWindowSize + 10, 'x');
  EXPECT_EQ(ErrorOf("<a>\r\n" + longLine + "\r\n</a>"), "Line too long on line 2");
  EXPECT_EQ(ErrorOf("<a>\n<b/>\n" + std::string(40, 'y'), 32), "Line too long on line 3");
}

TEST(XmlTokenizer, WindowsOfAnySizeGiveTheSameTokens) {
  const std::string data =
      "<?xml version=\"1.0\" ?>\r\n<settings>\r\n  <a x=\"1 2\">va  lue</a>\r\n"
      "  <Bill\r\nCode=\"1\">word\r\nmore\r\n  text</Bill>\r\n  <!-- c -->\r\n"
      "  <e/>\r\n</settings>\r\n";
  const std::vector<Token> whole = Tokens(data);
  ASSERT_EQ(whole.size(), 11u);
  EXPECT_EQ(whole[3], (Token{kText, "va lue", 3}));
  EXPECT_EQ(whole[5], (Token{kStart, "<BillCode=\"1\">", 4}));
  EXPECT_EQ(whole[6], (Token{kText, "wordmore text", 4}));
  EXPECT_EQ(whole[10], (Token{kEndTag, "</settings>", 7}));
  for (std::size_t window = 40; window < 100; ++window) {
    EXPECT_EQ(Tokens(data, window), whole) << "window " << window;
  }
}

// A document of several megabytes in which the first window ends inside a tag
// broken over two lines and the second inside a run of text: a full window
// ends after its last LF, and the next one starts at the token being read.
struct AcrossWindows {
  std::string data;
  std::size_t wordLength;  // of the run of 'w' that follows "last words"
};

AcrossWindows DocumentAcrossWindows() {
  const std::size_t window = TXmlTokenizer::kWindowSize;
  const std::string filler = "  <Item>filler text</Item>\r\n";
  AcrossWindows doc{"<root>\r\n", 0};
  std::string& data = doc.data;
  while (data.size() + filler.size() < window - 100) data += filler;
  data += "  ";
  const std::size_t secondWindowStart = data.size();
  data += "<Bill\r\nCode=\"1\">";
  data += std::string(window - data.size() + 50, 'v') + "</Bill>\r\n";
  while (data.size() + filler.size() < secondWindowStart + window - 100) data += filler;
  data += "  <U>";
  doc.wordLength = secondWindowStart + window - data.size() + 40;
  data += "last words\r\n" + std::string(doc.wordLength, 'w') + "</U>\r\n";
  while (data.size() < 3 * window + 1000) data += filler;
  data += "</root>\r\n";
  return doc;
}

TEST(XmlTokenizer, TokensCrossingTheOneMebibyteBoundaryStayWhole) {
  const AcrossWindows doc = DocumentAcrossWindows();
  ASSERT_GT(doc.data.size(), 3 * TXmlTokenizer::kWindowSize);
  const std::vector<Token> windowed = Tokens(doc.data);
  // One window large enough for the whole document is the reference.
  EXPECT_EQ(windowed, Tokens(doc.data, doc.data.size() + 1));
  const std::string words = "last words" + std::string(doc.wordLength, 'w');
  int bills = 0;
  int texts = 0;
  for (const Token& token : windowed) {
    if (token == Token{kStart, "<BillCode=\"1\">", token.line}) ++bills;
    if (token == Token{kText, words, token.line}) ++texts;
  }
  EXPECT_EQ(bills, 1);
  EXPECT_EQ(texts, 1);
  EXPECT_EQ(windowed.back().text, "</root>");
}

TEST(XmlTokenizer, LeavesTheStreamAtTheStartOfItsCurrentToken) {
  std::istringstream stream("<a>rest of it");
  {
    TXmlTokenizer tokenizer(stream);
  }
  EXPECT_EQ(stream.tellg(), 0);
  {
    TXmlTokenizer tokenizer(stream);
    tokenizer.NextToken();
    EXPECT_EQ(tokenizer.Kind(), kText);
  }
  EXPECT_EQ(stream.tellg(), 3);
}

}  // namespace
}  // namespace notarel
