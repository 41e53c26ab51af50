#pragma once
// What a token's bytes mean: the kind of a tag and the clean-up of its text.
#include <string>
#include <string_view>

namespace notarel {

// Token kinds of the reader. The numbers are the reader's own and appear in
// diagnostics only.
enum class TXmlTokenKind {
  EndOfInput = 0,
  Comment = 6,
  Declaration = 8,  // "<?xml" declarations and processing instructions
  Text = 9,
  StartTag = 10,
  EndTag = 11,
  EmptyTag = 12,
};

// The kind of a complete tag "<...>", tested in this order with letter case
// ignored: "<?xml" at the start, "<!--" at the start, "/>" at the end, "</" at
// the start; anything else is a start tag.
TXmlTokenKind ClassifyTag(std::string_view tag);

// Token bytes as the reader hands them on: every CR LF pair removed, then
// every LF CR pair removed, then each run of spaces shortened to one space.
// Lone CRs, lone LFs and tabs stay. `out` is overwritten.
void CleanTokenText(std::string_view raw, std::string& out);

}  // namespace notarel
