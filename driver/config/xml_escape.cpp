#include "xml_escape.h"

#include <array>
#include <utility>

namespace notarel {
namespace {

using Replacement = std::pair<std::string_view, std::string_view>;

constexpr std::array<Replacement, 5> kEscapes = {{
    {"&", "&amp;"}, {"<", "&lt;"}, {">", "&gt;"}, {"\"", "&quot;"}, {"\r\n", "<br/>"}}};

constexpr std::array<Replacement, 5> kUnescapes = {{
    {"<br/>", "\r\n"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}}};

// Texts without any of the special bytes are by far the most common; they are copied as they are.
bool MayNeedWork(std::string_view text, std::string_view specials) {
  for (const char c : specials) {
    if (text.find(c) != std::string_view::npos) return true;
  }
  return false;
}

template <std::size_t N>
std::string ApplyInOrder(std::string_view text, const std::array<Replacement, N>& table) {
  std::string result(text);
  for (const auto& [from, to] : table) result = ReplaceAll(result, from, to);
  return result;
}

}  // namespace

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string result;
  result.reserve(text.size());
  std::size_t start = 0;
  for (std::size_t hit = text.find(from); hit != std::string_view::npos;
       hit = text.find(from, start)) {
    result.append(text.substr(start, hit - start));
    result.append(to);
    start = hit + from.size();
  }
  result.append(text.substr(start));
  return result;
}

std::string XmlEscape(std::string_view text) {
  if (!MayNeedWork(text, "&<>\"\r")) return std::string(text);
  return ApplyInOrder(text, kEscapes);
}

std::string XmlUnescape(std::string_view text) {
  if (!MayNeedWork(text, "&<")) return std::string(text);
  return ApplyInOrder(text, kUnescapes);
}

}  // namespace notarel
