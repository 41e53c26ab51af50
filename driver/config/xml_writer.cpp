// Writing elements. With every layout flag set (the default) each element
// stands on its own line, indented two spaces more than its parent; an element
// with text keeps it on the same line; an element with neither text nor
// children is written self-closing. An item whose CrLfInAsString is false
// gives its children no extra indentation and, when self-closing, ends
// without a line break; closing tags always end with CR LF. The tree is walked with an explicit stack, so depth costs
// memory, never the call stack.
#include "xml_writer.h"

#include <vector>

#include "xml_escape.h"
#include "xml_item.h"
#include "xml_text.h"
#include "xml_token_text.h"

namespace notarel {
namespace {

constexpr std::string_view kCrLf = "\r\n";

struct OpenElement {
  const TXmlItem* item;
  int closingIndent;  // 0 once the element has written text
  int childIndent;
  int nextChild;
};

// One line of a text as the reader will hand it back: each "<br/>" ends a
// text token, a token never begins or ends with blanks, and its clean-up may
// bring together bytes it takes away in turn, so both are repeated until the
// line stays as it is.
std::string LineAsRead(std::string_view line) {
  std::string now(TrimBlanks(line));
  std::string next;
  for (;;) {
    CleanTokenText(now, next);
    next = std::string(TrimBlanks(next));
    if (next == now) return now;
    now.swap(next);
  }
}

// A text written so that reading it back gives exactly what was written: its
// lines (split at CR LF) as the reader will hand them back, the empty ones
// left out, with "<br/>" between them. Blanks at the ends of a line, or a line
// of blanks, could not be read back whatever was written, so they are not
// written; a text without such bytes is written as it is.
std::string TextToWrite(std::string_view text) {
  std::string out;
  while (!text.empty()) {
    const std::size_t end = text.find(kCrLf);
    const std::string line = LineAsRead(text.substr(0, end));
    if (!line.empty()) {
      if (!out.empty()) out += "<br/>";
      out += XmlEscape(line);
    }
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + kCrLf.size());
  }
  return out;
}

void AppendHead(const TXmlItem& item, std::string& out) {
  out += item.Name();
  const TXmlAttributes& attributes = item.Attributes();
  for (int i = 0; i < attributes.Count(); ++i) {
    out += ' ';
    out += attributes.Name(i);
    out += "=\"";
    out += XmlEscape(attributes.Value(i));
    out += '"';
  }
}

void AppendClosing(const TXmlItem& item, int indent, std::string& out) {
  out.append(static_cast<std::size_t>(indent), ' ');
  out += "</";
  out += item.Name();
  out += '>';
  out += kCrLf;
}

// Writes the start of an element; returns true when it stays open for its children.
bool AppendOpening(const TXmlItem& item, int indent, std::vector<OpenElement>& open,
                   std::string& out) {
  const int step = item.CrLfInAsString() ? 2 : 0;
  const bool hasText = !IsBlankText(item.Text());
  out.append(static_cast<std::size_t>(indent), ' ');
  out += '<';
  AppendHead(item, out);
  if (!hasText && item.Count() == 0) {
    out += "/>";
    if (item.CrLfInAsString()) out += kCrLf;
    return false;
  }
  out += '>';
  if (hasText) {
    out += TextToWrite(item.Text());
    indent = 0;
  }
  if (item.Count() == 0) {
    AppendClosing(item, indent, out);
    return false;
  }
  out += kCrLf;
  open.push_back({&item, indent, indent + step, 0});
  return true;
}

}  // namespace

std::string XmlHeader(std::string_view styleSheet) {
  std::string header = "<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\r\n";
  if (!IsBlankText(styleSheet)) {
    header += "<?Xml-stylesheet type=\"text/xsl\" href=\"";
    header += styleSheet;
    header += "\"?>\r\n";
  }
  return header;
}

std::string TXmlItem::AsString(int indent) const {
  std::string out;
  std::vector<OpenElement> open;
  AppendOpening(*this, indent, open, out);
  while (!open.empty()) {
    OpenElement& top = open.back();
    if (top.nextChild < top.item->Count()) {
      const TXmlItem& child = top.item->Items(top.nextChild++);
      AppendOpening(child, top.childIndent, open, out);  // may invalidate `top`
    } else {
      AppendClosing(*top.item, top.closingIndent, out);
      open.pop_back();
    }
  }
  return out;
}

}  // namespace notarel
