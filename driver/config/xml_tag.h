#pragma once
// Reading the inside of a tag: its element name, its attributes and the
// address of a style sheet instruction. Every function takes the tag's
// cleaned-up text, "<" to ">" inclusive.
#include <string>
#include <string_view>

#include "xml_attributes.h"

namespace notarel {

// The first byte dropped, then cut before the first space, or, without a
// space, before the first "/"; with neither, the closing ">" is dropped.
std::string TagName(std::string_view tag);

// Replaces `attributes` with the entries of the tag. Entries are separated by
// spaces outside double quotes; a value longer than two bytes loses one
// leading and one trailing quote and is unescaped, a shorter one stays as
// written. An entry without "=" is a name with an empty value.
void ReadTagAttributes(std::string_view tag, TXmlAttributes& attributes);

// For an xml-stylesheet instruction (any letter case): the text between
// `href="` (any letter case) and the next double quote. False, and `href`
// untouched, for any other instruction or one without `href="`.
bool StyleSheetHref(std::string_view instruction, std::string& href);

}  // namespace notarel
