// The reader on arbitrary bytes: documents our writer produced, mutated by a
// seeded random generator, read through windows of several sizes. A document
// may be refused with a parse error; nothing else may happen. Under
// AddressSanitizer the bytes beyond the valid data of the window are marked
// unreadable, so a scan that runs past the data is reported.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "config_test_support.h"
#include "countries.h"
#include "xml_elements.h"

namespace notarel {
namespace {

using test::SavedText;
using test::W;

std::vector<std::string> Seeds() {
  std::vector<std::string> seeds;
  TXmlParser parser;
  parser.Root().SetName("settings");
  TCountries countries;
  countries.LoadDefaults();
  countries.SaveToXml(AddElement(parser.Root(), "CountryDenominations"));
  seeds.push_back(SavedText(parser));
  parser.Clear();
  parser.SetStyleSheet("a.xsl");
  parser.Root().SetName("e");
  parser.Root().Attributes().Add("q", "\"<&>' x");
  AddElement(AddElement(parser.Root(), W("ы")), "t", "a\r\nb & c");
  seeds.push_back(SavedText(parser));
  seeds.push_back("<a>\n<!-- c -->\n<b x=\"1\"/>\n<?xml-stylesheet href=\"z\"?>\n</a>\n");
  return seeds;
}

// One random edit of the kinds that upset a tag scanner most.
void Mutate(std::string& data, std::mt19937& random) {
  static const std::string kSpecial = std::string("<>/\"=?!-\r\n \0&;", 15);
  auto pick = [&random](std::size_t bound) {
    return std::uniform_int_distribution<std::size_t>(0, bound)(random);
  };
  const std::size_t at = pick(data.size());
  switch (pick(5)) {
    case 0:
      data.insert(at, 1, kSpecial[pick(kSpecial.size() - 1)]);
      break;
    case 1:
      if (at < data.size()) data[at] = static_cast<char>(pick(255));
      break;
    case 2:
      data.erase(at, pick(16));
      break;
    case 3:
      data.insert(at, data.substr(pick(data.size()), pick(64)));
      break;
    case 4:
      data.resize(at);
      break;
    default:
      data.insert(at, pick(8), '\n');
      break;
  }
}

// Reads a document; returns false when it is refused with a parse error.
bool Read(const std::string& data, std::size_t window, TXmlParser& parser) {
  std::istringstream stream(data);
  try {
    parser.Root().LoadFromStream(stream, window);
    return true;
  } catch (const EParserError&) {
    return false;
  }
}

TEST(XmlReaderFuzz, MutatedDocumentsAreReadOrRefusedNeverMore) {
  constexpr int kRounds = 6000;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  const std::vector<std::string> seeds = Seeds();
  const std::size_t windows[] = {TXmlTokenizer::kWindowSize, 4096, 257, 97, 64};
  std::mt19937 random(20240613);
  int read = 0;
  int refused = 0;
  int rounds = 0;
  for (; rounds < kRounds && std::chrono::steady_clock::now() < deadline; ++rounds) {
    std::string data = seeds[static_cast<std::size_t>(rounds) % seeds.size()];
    const int edits = 1 + rounds % 12;
    for (int i = 0; i < edits; ++i) Mutate(data, random);
    TXmlParser parser;
    if (!Read(data, windows[static_cast<std::size_t>(rounds) % 5], parser)) {
      ++refused;
      continue;
    }
    ++read;
    // Whatever was read can be written and read again.
    TXmlParser again;
    Read(SavedText(parser), TXmlTokenizer::kWindowSize, again);
  }
  std::cout << rounds << " documents: " << read << " read, " << refused << " refused\n";
  EXPECT_GT(read, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace notarel
