#include "xml_token_text.h"

#include "case_fold.h"

namespace notarel {
namespace {

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// Removes every non-overlapping occurrence of a two-byte pair, left to right.
void RemovePairs(std::string& text, char first, char second) {
  std::size_t to = 0;
  for (std::size_t from = 0; from < text.size(); ++from) {
    if (text[from] == first && from + 1 < text.size() && text[from + 1] == second) {
      ++from;
      continue;
    }
    text[to++] = text[from];
  }
  text.resize(to);
}

void CollapseSpaces(std::string& text) {
  std::size_t to = 0;
  for (std::size_t from = 0; from < text.size(); ++from) {
    if (text[from] == ' ' && to > 0 && text[to - 1] == ' ') continue;
    text[to++] = text[from];
  }
  text.resize(to);
}

}  // namespace

TXmlTokenKind ClassifyTag(std::string_view tag) {
  if (StartsWithText(tag, "<?xml")) return TXmlTokenKind::Declaration;
  if (StartsWithText(tag, "<!--")) return TXmlTokenKind::Comment;
  if (EndsWith(tag, "/>")) return TXmlTokenKind::EmptyTag;
  if (StartsWithText(tag, "</")) return TXmlTokenKind::EndTag;
  return TXmlTokenKind::StartTag;
}

void CleanTokenText(std::string_view raw, std::string& out) {
  out.assign(raw.data(), raw.size());
  // Most tokens need nothing; one pass over the bytes tells.
  bool lineBreaks = false;
  bool doubleSpaces = false;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    lineBreaks |= c == '\r' || c == '\n';
    doubleSpaces |= c == ' ' && i > 0 && raw[i - 1] == ' ';
  }
  if (lineBreaks) {
    RemovePairs(out, '\r', '\n');
    RemovePairs(out, '\n', '\r');
    doubleSpaces = out.find("  ") != std::string::npos;
  }
  if (doubleSpaces) CollapseSpaces(out);
}

}  // namespace notarel
