// Loading a document into an item. The reader walks the tokens once and keeps
// the element being filled as `current`:
// - a start tag names `current` itself while its name is blank (this is how
//   the root becomes the document element), otherwise opens a new child;
// - an empty-element tag adds a child and stays;
// - an end tag returns to the parent without comparing names;
// - text is unescaped into `current`; a second run of text (after a child)
//   is joined to the first with CR LF and the whole unescaped again;
// - comments and declarations are skipped, except that an xml-stylesheet
//   instruction sets the parser's StyleSheet;
// - any token after the document element has closed is an error.
// The parser's XmlItemChanged is silenced for the whole load.
#include <utility>

#include "cp1251.h"
#include "xml_escape.h"
#include "xml_item.h"
#include "xml_parser.h"
#include "xml_tag.h"
#include "xml_text.h"

namespace notarel {
namespace {

const std::string& ErrorInDocument() {
  static const std::string message = Utf8ToCp1251("Ошибка в Xml файле");
  return message;
}

// Unassigns the parser's XmlItemChanged and puts it back on every path.
class ItemChangedSilence {
 public:
  explicit ItemChangedSilence(TXmlParser* parser) : FParser(parser) {
    if (FParser != nullptr) FSaved = std::exchange(FParser->XmlItemChanged, nullptr);
  }
  ~ItemChangedSilence() {
    if (FParser != nullptr) FParser->XmlItemChanged = std::move(FSaved);
  }
  ItemChangedSilence(const ItemChangedSilence&) = delete;
  ItemChangedSilence& operator=(const ItemChangedSilence&) = delete;

 private:
  TXmlParser* FParser;
  TXmlParser::TXmlItemChanged FSaved;
};

void TakeTag(TXmlItem& item, const std::string& tag) {
  item.SetName(TagName(tag));
  ReadTagAttributes(tag, item.Attributes());
}

void AddText(TXmlItem& item, const std::string& text) {
  if (IsBlankText(item.Text())) {
    item.SetText(XmlUnescape(text));
  } else {
    // Only the new token is unescaped: the text so far already is, and
    // unescaping it again would turn a written "&amp;lt;" into "<".
    item.SetText(item.Text() + "\r\n" + XmlUnescape(text));
  }
}

// Applies one token; returns the element that is current afterwards, or null
// once the end tag of `top`, the item being loaded, has been read.
TXmlItem* ApplyToken(TXmlTokenKind kind, const std::string& text, TXmlItem& current,
                     const TXmlItem& top) {
  switch (kind) {
    case TXmlTokenKind::Declaration: {
      std::string href;
      TXmlParser* parser = current.Parser();
      if (parser != nullptr && StyleSheetHref(text, href)) parser->SetStyleSheet(std::move(href));
      return &current;
    }
    case TXmlTokenKind::Text:
      AddText(current, text);
      return &current;
    case TXmlTokenKind::StartTag: {
      TXmlItem& opened = IsBlankText(current.Name()) ? current : current.New();
      TakeTag(opened, text);
      return &opened;
    }
    case TXmlTokenKind::EmptyTag:
      TakeTag(current.New(), text);
      return &current;
    case TXmlTokenKind::EndTag:
      return &current == &top ? nullptr : current.Parent();
    case TXmlTokenKind::Comment:
    case TXmlTokenKind::EndOfInput:
      break;
  }
  return &current;
}

}  // namespace

void TXmlItem::LoadFromStream(std::istream& stream, std::size_t windowSize) {
  if (FParser != nullptr && !FParser->AllowLoad()) return;
  {
    ItemChangedSilence silence(FParser);
    TXmlTokenizer tokenizer(stream, windowSize);
    Clear();
    SetName(std::string());
    TXmlItem* current = this;
    std::string text;
    while (tokenizer.Kind() != TXmlTokenKind::EndOfInput) {
      if (current == nullptr) tokenizer.RaiseParseError(ErrorInDocument());
      tokenizer.Text(text);
      current = ApplyToken(tokenizer.Kind(), text, *current, *this);
      tokenizer.NextToken();
    }
  }
  if (FParser != nullptr) FParser->Loaded();
}

}  // namespace notarel
