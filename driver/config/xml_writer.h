#pragma once
// The writer's document header: the XML declaration for Windows-1251 and,
// when a style sheet is named, the xml-stylesheet instruction, each ended by
// CR LF. The elements follow as the root's TXmlItem::AsString(0).
#include <string>
#include <string_view>

namespace notarel {

// A blank `styleSheet` leaves the instruction out.
std::string XmlHeader(std::string_view styleSheet);

}  // namespace notarel
