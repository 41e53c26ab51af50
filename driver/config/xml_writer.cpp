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

namespace notarel {
namespace {

constexpr std::string_view kCrLf = "\r\n";

struct OpenElement {
  const TXmlItem* item;
  int closingIndent;  // 0 once the element has written text
  int childIndent;
  int nextChild;
};

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
    out += XmlEscape(item.Text());
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
