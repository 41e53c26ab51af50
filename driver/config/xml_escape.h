#pragma once
// The reader's and writer's character escapes. Only five sequences exist:
// the four entities below and "<br/>" for a line break. No other entity or
// character reference is known, and the apostrophe is left alone.
#include <string>
#include <string_view>

namespace notarel {

// Every occurrence of `from` replaced by `to`, scanning left to right once.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// In this order: & < > " and then CR LF as "<br/>".
std::string XmlEscape(std::string_view text);
// In this order: "<br/>" as CR LF, then &lt; &gt; &quot; and last &amp;.
std::string XmlUnescape(std::string_view text);

}  // namespace notarel
