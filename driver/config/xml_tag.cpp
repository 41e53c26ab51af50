#include "xml_tag.h"

#include "case_fold.h"
#include "xml_escape.h"
#include "xml_text.h"

namespace notarel {
namespace {

constexpr std::size_t kNoPos = std::string_view::npos;

// The bytes that hold the attributes: after the first space, before the
// closing ">" or "/>".
std::string_view AttributeBytes(std::string_view tag, std::size_t space) {
  std::size_t end = tag.find('>');
  if (end == kNoPos) end = tag.size();
  if (end > 0 && tag[end - 1] == '/') --end;
  return end > space + 1 ? tag.substr(space + 1, end - space - 1) : std::string_view();
}

// Spaces outside double quotes become line breaks; the last byte is left as it is.
std::string BreakAtSpaces(std::string_view bytes) {
  std::string result(bytes);
  bool quoted = false;
  for (std::size_t i = 0; i + 1 < result.size(); ++i) {
    if (result[i] == '"') quoted = !quoted;
    if (result[i] == ' ' && !quoted) result[i] = '\n';
  }
  return result;
}

void AddEntry(std::string_view line, TXmlAttributes& attributes) {
  const std::size_t equals = line.find('=');
  if (equals == kNoPos) {
    attributes.Add(std::string(line), std::string());
    return;
  }
  std::string_view value = line.substr(equals + 1);
  if (value.size() <= 2) {
    attributes.Add(std::string(line.substr(0, equals)), std::string(value));
    return;
  }
  if (value.front() == '"') value.remove_prefix(1);
  if (!value.empty() && value.back() == '"') value.remove_suffix(1);
  attributes.Add(std::string(line.substr(0, equals)), XmlUnescape(value));
}

}  // namespace

std::string TagName(std::string_view tag) {
  if (tag.empty()) return std::string();
  const std::string_view rest = tag.substr(1);
  std::size_t cut = rest.find(' ');
  if (cut == kNoPos) cut = rest.find('/');
  if (cut == kNoPos) cut = rest.empty() ? 0 : rest.size() - 1;
  return std::string(rest.substr(0, cut));
}

void ReadTagAttributes(std::string_view tag, TXmlAttributes& attributes) {
  attributes.Clear();
  const std::size_t space = tag.find(' ');
  if (space == kNoPos) return;
  const std::string broken = BreakAtSpaces(AttributeBytes(tag, space));
  std::string_view rest = TrimBlanks(broken);
  // Lines end at CR LF, a lone CR or a lone LF; a final break adds no empty line.
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of("\r\n");
    AddEntry(rest.substr(0, end), attributes);
    if (end == kNoPos) break;
    std::size_t next = end + 1;
    if (rest[end] == '\r' && next < rest.size() && rest[next] == '\n') ++next;
    rest.remove_prefix(next);
  }
}

bool StyleSheetHref(std::string_view instruction, std::string& href) {
  const std::string upper = UpperCase1251(instruction);
  if (upper.find("XML-STYLESHEET") == kNoPos) return false;
  const std::size_t marker = upper.find("HREF=\"");
  if (marker == kNoPos) return false;
  const std::size_t start = marker + 6;
  const std::size_t end = instruction.find('"', start);
  href = std::string(instruction.substr(start, end == kNoPos ? 0 : end - start));
  return true;
}

}  // namespace notarel
