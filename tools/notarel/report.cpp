#include "report.h"

#include <cstdio>

#include "cp1251.h"

namespace notarel::cli {
namespace {

const char* const kResultFields[] = {"Output", "Input", "ExecTime"};

Value Read(const std::string& name, TDriver& driver) { return FindMember(name)->get(driver); }

}  // namespace

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", u);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string PlainValue(const Value& value) {
  if (const auto* n = std::get_if<std::int64_t>(&value)) return std::to_string(*n);
  if (const auto* b = std::get_if<bool>(&value)) return *b ? "true" : "false";
  return Cp1251ToUtf8(std::get<std::string>(value));
}

std::string JsonValue(const Value& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return JsonString(Cp1251ToUtf8(*text));
  return PlainValue(value);
}

void Report::Fields(const std::vector<std::pair<std::string, Value>>& fields) {
  for (const auto& [name, value] : fields) {
    if (json_) out_ << ", " << JsonString(name) << ": " << JsonValue(value);
    else out_ << "  " << name << ": " << PlainValue(value) << '\n';
  }
}

void Report::Method(const Member& method, bool ok, TDriver& driver) {
  std::vector<std::pair<std::string, Value>> fields;
  // The polling thread may change the result between two reads: take it whole.
  const TResult result = driver.Result();
  fields.emplace_back("ResultCode", std::int64_t{result.code});
  fields.emplace_back("ResultDescription", result.description);
  for (const char* name : kResultFields) fields.emplace_back(name, Read(name, driver));
  for (const std::string& name : method.fills) fields.emplace_back(name, Read(name, driver));
  if (json_) out_ << '{' << JsonString(method.name) << ": " << (ok ? "true" : "false");
  else out_ << method.name << ": " << (ok ? "true" : "false") << '\n';
  Fields(fields);
  if (json_) out_ << "}\n";
  out_.flush();
}

void Report::Property(const Member& property, TDriver& driver) {
  const Value value = property.get(driver);
  if (json_) out_ << '{' << JsonString(property.name) << ": " << JsonValue(value) << "}\n";
  else out_ << property.name << ": " << PlainValue(value) << '\n';
  out_.flush();
}

void Report::Record(const std::string& key, const std::string& name,
                    const std::vector<std::pair<std::string, Value>>& fields) {
  if (json_) out_ << '{' << JsonString(key) << ": " << JsonString(name);
  else out_ << name << '\n';
  Fields(fields);
  if (json_) out_ << "}\n";
  out_.flush();
}

}  // namespace notarel::cli
