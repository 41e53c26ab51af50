// Speed of the XML reader and of the country tables' load and save.
//   config_bench [megabytes]   (default 100)
// Prints the reader's throughput on a generated settings-like document read
// through many windows, tokenizing alone and building the whole tree, and the
// time to save and load the built-in country tables. Build it as Release
// without sanitizers for meaningful figures.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <istream>
#include <sstream>
#include <streambuf>
#include <string>

#include "countries.h"
#include "driver.h"
#include "xml_elements.h"
#include "xml_parser.h"

namespace notarel {
namespace {

using Clock = std::chrono::steady_clock;

double Megabytes(const std::string& data) { return static_cast<double>(data.size()) / 1e6; }

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Reads a string in place, without the copy std::istringstream makes.
class MemoryBuffer : public std::streambuf {
 public:
  explicit MemoryBuffer(std::string& data) {
    setg(data.data(), data.data(), data.data() + data.size());
  }

 protected:
  pos_type seekoff(off_type offset, std::ios_base::seekdir direction,
                   std::ios_base::openmode) override {
    char* base = eback();
    char* target = direction == std::ios_base::beg   ? base + offset
                   : direction == std::ios_base::cur ? gptr() + offset
                                                     : egptr() + offset;
    if (target < base || target > egptr()) return pos_type(off_type(-1));
    setg(base, target, egptr());
    return pos_type(target - base);
  }
};

std::string DefaultCountriesDocument() {
  TXmlParser parser;
  parser.Root().SetName("settings");
  TCountries countries;
  countries.LoadDefaults();
  countries.SaveToXml(AddElement(parser.Root(), "CountryDenominations"));
  std::ostringstream out;
  parser.SaveToStream(out);
  return out.str();
}

// Copies of the countries element inside one settings element.
std::string GeneratedDocument(std::size_t size) {
  const std::string countries = DefaultCountriesDocument();
  const std::size_t bodyStart = countries.find("  <CountryDenominations>");
  const std::size_t bodyEnd = countries.find("</settings>");
  const std::string body = countries.substr(bodyStart, bodyEnd - bodyStart);
  std::string document = countries.substr(0, bodyStart);
  while (document.size() + body.size() < size) document += body;
  return document + "</settings>\r\n";
}

void MeasureTokenizer(std::string& document) {
  MemoryBuffer buffer(document);
  std::istream stream(&buffer);
  const auto start = Clock::now();
  long tokens = 0;
  std::string text;
  {
    TXmlTokenizer tokenizer(stream);
    for (; tokenizer.Kind() != TXmlTokenKind::EndOfInput; tokenizer.NextToken()) {
      tokenizer.Text(text);
      ++tokens;
    }
  }
  const double seconds = SecondsSince(start);
  std::printf("tokenizer: %.1f MB in %.3f s = %.0f MB/s (%ld tokens)\n", Megabytes(document),
              seconds, Megabytes(document) / seconds, tokens);
}

// The first load touches fresh memory for the whole tree; the second reuses
// what the first freed, so the difference is the cost of new pages.
void MeasureTree(std::string& document, const char* label) {
  MemoryBuffer buffer(document);
  std::istream stream(&buffer);
  auto parser = std::make_unique<TXmlParser>();
  const auto start = Clock::now();
  parser->LoadFromStream(stream);
  const double seconds = SecondsSince(start);
  std::printf("tree load, %s: %.1f MB in %.3f s = %.0f MB/s (%d country lists)\n", label,
              Megabytes(document), seconds, Megabytes(document) / seconds,
              parser->Root().Count());
  const auto freeing = Clock::now();
  parser.reset();
  std::printf("tree free: %.3f s\n", SecondsSince(freeing));
}

void MeasureCountries() {
  constexpr int kRounds = 2000;
  TCountries countries;
  countries.LoadDefaults();
  std::string saved;
  auto start = Clock::now();
  for (int i = 0; i < kRounds; ++i) {
    TXmlParser parser;
    parser.Root().SetName("settings");
    countries.SaveToXml(AddElement(parser.Root(), "CountryDenominations"));
    std::ostringstream out;
    parser.SaveToStream(out);
    saved = out.str();
  }
  const double save = SecondsSince(start) / kRounds * 1e6;
  start = Clock::now();
  for (int i = 0; i < kRounds; ++i) {
    TXmlParser parser;
    std::istringstream in(saved);
    parser.LoadFromStream(in);
    countries.LoadFromXml(parser.Root().Items(0));
  }
  const double load = SecondsSince(start) / kRounds * 1e6;
  std::printf("default countries document (%zu bytes): save %.1f us, load %.1f us\n",
              saved.size(), save, load);
}

// The driver's own settings file on disk: the save includes forcing the new
// file to disk before it replaces the old one.
void MeasureSettingsFile() {
  constexpr int kRounds = 200;
  TDriver driver;
  driver.SetPortPath("/nonexistent/port");
  driver.SetFileName("/tmp/notarel-bench-settings.xml");
  driver.SetDefaults();
  auto start = Clock::now();
  for (int i = 0; i < kRounds; ++i) driver.SaveParams();
  const double save = SecondsSince(start) / kRounds * 1e6;
  start = Clock::now();
  for (int i = 0; i < kRounds; ++i) driver.LoadParams();
  const double load = SecondsSince(start) / kRounds * 1e6;
  std::printf("settings file: SaveParams %.1f us, LoadParams %.1f us (result %d)\n", save, load,
              driver.ResultCode());
  std::remove("/tmp/notarel-bench-settings.xml");
}

}  // namespace
}  // namespace notarel

int main(int argc, char** argv) {
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 100.0;
  std::string document = notarel::GeneratedDocument(static_cast<std::size_t>(megabytes * 1048576));
  notarel::MeasureTokenizer(document);
  notarel::MeasureTree(document, "fresh memory");
  notarel::MeasureTree(document, "memory reused");
  notarel::MeasureCountries();
  notarel::MeasureSettingsFile();
  return 0;
}
