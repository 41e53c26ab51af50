#pragma once
// TXmlAttributes: an element's attributes, an ordered list of name=value
// entries. Values are kept unescaped and without quotes. Lookup by name
// ignores letter case and the first entry with the name wins.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace notarel {

class TXmlAttributes {
 public:
  int Count() const { return static_cast<int>(FItems.size()); }
  // Entries by position, from 0; raise std::out_of_range outside the list.
  const std::string& Name(int index) const;
  const std::string& Value(int index) const;

  void Add(std::string name, std::string value);
  // Position of the first entry called `name`, letter case ignored, or -1.
  int IndexOfName(std::string_view name) const;
  // The value of the first entry called `name`, or an empty text.
  std::string ValueOf(std::string_view name) const;
  // Sets the first entry called `name`, or appends one.
  void SetValue(std::string_view name, std::string value);
  void Delete(int index);
  void Clear() { FItems.clear(); }

 private:
  const std::pair<std::string, std::string>& At(int index) const;

  std::vector<std::pair<std::string, std::string>> FItems;
};

}  // namespace notarel
