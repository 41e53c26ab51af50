#pragma once
// Building element trees for the settings document.
#include <string>

#include "xml_item.h"

namespace notarel {

// Appends a child named `name` with `text` and returns it.
inline TXmlItem& AddElement(TXmlItem& parent, std::string name, std::string text = std::string()) {
  TXmlItem& child = parent.New();
  child.SetName(std::move(name));
  if (!text.empty()) child.SetText(std::move(text));
  return child;
}

}  // namespace notarel
