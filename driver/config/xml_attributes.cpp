#include "xml_attributes.h"

#include <stdexcept>

#include "case_fold.h"

namespace notarel {

const std::pair<std::string, std::string>& TXmlAttributes::At(int index) const {
  if (index < 0 || index >= Count()) {
    throw std::out_of_range("Attribute index out of bounds (" + std::to_string(index) + ")");
  }
  return FItems[static_cast<std::size_t>(index)];
}

const std::string& TXmlAttributes::Name(int index) const { return At(index).first; }

const std::string& TXmlAttributes::Value(int index) const { return At(index).second; }

void TXmlAttributes::Add(std::string name, std::string value) {
  FItems.emplace_back(std::move(name), std::move(value));
}

int TXmlAttributes::IndexOfName(std::string_view name) const {
  for (std::size_t i = 0; i < FItems.size(); ++i) {
    if (SameText(FItems[i].first, name)) return static_cast<int>(i);
  }
  return -1;
}

std::string TXmlAttributes::ValueOf(std::string_view name) const {
  const int index = IndexOfName(name);
  return index < 0 ? std::string() : Value(index);
}

void TXmlAttributes::SetValue(std::string_view name, std::string value) {
  const int index = IndexOfName(name);
  if (index < 0) {
    Add(std::string(name), std::move(value));
  } else {
    FItems[static_cast<std::size_t>(index)].second = std::move(value);
  }
}

void TXmlAttributes::Delete(int index) {
  At(index);
  FItems.erase(FItems.begin() + index);
}

}  // namespace notarel
