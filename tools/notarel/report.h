#pragma once
// How the command-line tool prints what each word did: readable lines, or one
// JSON object per line. Texts are converted from Windows-1251 to UTF-8.
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "member_table.h"

namespace notarel::cli {

class Report {
 public:
  Report(std::ostream& out, bool json) : out_(out), json_(json) {}

  // A method's flag, then the common result fields and the fields it filled.
  void Method(const Member& method, bool ok, TDriver& driver);
  // A property read.
  void Property(const Member& property, TDriver& driver);
  // Any other named record, e.g. an event: {"event": name, ...} in JSON.
  void Record(const std::string& key, const std::string& name,
              const std::vector<std::pair<std::string, Value>>& fields);

 private:
  void Fields(const std::vector<std::pair<std::string, Value>>& fields);

  std::ostream& out_;
  bool json_;
};

std::string JsonString(const std::string& utf8);
std::string PlainValue(const Value& value);
std::string JsonValue(const Value& value);

}  // namespace notarel::cli
