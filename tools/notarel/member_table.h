#pragma once
// The automation members that the command-line tool offers, by name.
// Each one forwards to the driver exactly as the control does, with the same
// conversions on property writes.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "driver.h"

namespace notarel::cli {

// Integers, booleans and Windows-1251 texts, as the automation interface types them.
using Value = std::variant<std::int64_t, bool, std::string>;
enum class ValueType { Int, Bool, Text };

struct Member {
  std::string name;
  ValueType type = ValueType::Bool;  // a property's type; methods return a flag
  std::function<bool(TDriver&)> call;                  // set for methods
  std::function<Value(TDriver&)> get;                  // set for readable properties
  std::function<void(TDriver&, const Value&)> set;     // set for writable properties
  std::vector<std::string> fills;  // properties a method fills, printed after it
  int listed = 0;                  // its place in the tool's member list
  bool IsMethod() const { return static_cast<bool>(call); }
};

// Null when no member has that name (names are compared exactly).
const Member* FindMember(std::string_view name);
const std::vector<Member>& AllMembers();

// Parses a written value for a property of the given type; false when it does not fit.
bool ParseValue(ValueType type, const std::string& text, Value& value);

}  // namespace notarel::cli
