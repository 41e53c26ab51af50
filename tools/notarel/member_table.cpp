#include "member_table.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <sstream>

#include "automation_members.h"
#include "cp1251.h"

namespace notarel::cli {
namespace {

using Getter = std::function<Value(TDriver&)>;
using Setter = std::function<void(TDriver&, const Value&)>;

using members::TType;

// The value the control's conversions hand to the driver for a written value.
template <TType T>
auto Written(const Value& v) {
  if constexpr (T == TType::Bool) {
    return std::get<bool>(v);
  } else if constexpr (T == TType::Text || T == TType::Path) {
    return std::get<std::string>(v);
  } else {
    return members::FromLong<T>(static_cast<std::int32_t>(std::get<std::int64_t>(v)));
  }
}

template <TType T, class Read>
Value AsValue(Read read) {
  if constexpr (T == TType::Bool || T == TType::Text || T == TType::Path) {
    return read;
  } else {
    return std::int64_t{read};
  }
}

constexpr ValueType TypeOf(TType type) {
  switch (type) {
    case TType::Bool:
    case TType::Void:
      return ValueType::Bool;
    case TType::Text:
    case TType::Path:
      return ValueType::Text;
    default:
      return ValueType::Int;
  }
}

std::vector<std::string> Words(const char* text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

struct TListed {
  int listed;
  Member member;
};

// A method's success flag: the driver's own, or true for one that has none.
template <TType T, class Call>
bool Succeeded(Call call) {
  if constexpr (T == TType::Bool) {
    return call();
  } else {
    call();
    return true;
  }
}

// Whether a written value reaches the driver: a refused port number does not.
template <TType T>
bool ReachesDriver(const Value& v) {
  if constexpr (T == TType::Bool || T == TType::Text || T == TType::Path) {
    return true;
  } else {
    return members::Accepts<T>(static_cast<std::int32_t>(std::get<std::int64_t>(v)));
  }
}

void AddMethod(std::vector<TListed>& t, int listed, const char* name, std::function<bool(TDriver&)> call,
               const char* fills) {
  Member m;
  m.name = name;
  m.call = std::move(call);
  m.fills = Words(fills);
  m.listed = listed;
  t.push_back({listed, std::move(m)});
}

void AddProperty(std::vector<TListed>& t, int listed, const char* name, TType type, Getter get,
                 Setter set = nullptr) {
  Member m;
  m.name = name;
  m.type = TypeOf(type);
  m.get = std::move(get);
  m.set = std::move(set);
  m.listed = listed;
  t.push_back({listed, std::move(m)});
}

// The driver-side members of the member table; the control's own members
// (windows, the file version) have nothing to do here.
#define NOTAREL_CLI_METHOD_(iface, name, dispid, type, side, listed, help, call, fills) \
  NOTAREL_CLI_METHOD_##side(name, type, listed, call, fills)
#define NOTAREL_CLI_METHOD_Control(...)
#define NOTAREL_CLI_METHOD_Driver(name, type, listed, call, fills) \
  AddMethod(t, listed, #name, [](TDriver& d) { return Succeeded<TType::type>([&] { return call; }); }, fills);
#define NOTAREL_CLI_GETTER_(iface, name, dispid, type, side, listed, help, read) \
  NOTAREL_CLI_GETTER_##side(name, type, listed, read)
#define NOTAREL_CLI_GETTER_Control(...)
#define NOTAREL_CLI_GETTER_Driver(name, type, listed, read) \
  AddProperty(t, listed, #name, TType::type, [](TDriver& d) { return AsValue<TType::type>(read); });
#define NOTAREL_CLI_PROPERTY_(iface, name, dispid, type, side, listed, help, read, write) \
  NOTAREL_CLI_PROPERTY_##side(name, type, listed, read, write)
#define NOTAREL_CLI_PROPERTY_Control(...)
#define NOTAREL_CLI_PROPERTY_Driver(name, type, listed, read, write)                                  \
  AddProperty(t, listed, #name, TType::type, [](TDriver& d) { return AsValue<TType::type>(read); }, \
              [](TDriver& d, const Value& value) {                                                     \
                if (!ReachesDriver<TType::type>(value)) return;                                        \
                auto v = Written<TType::type>(value);                                                  \
                write;                                                                                 \
              });

// In the order the tool lists them.
std::vector<Member> BuildTable() {
  std::vector<TListed> t;
  NOTAREL_AUTOMATION_MEMBERS(NOTAREL_CLI_METHOD_, NOTAREL_CLI_GETTER_, NOTAREL_CLI_PROPERTY_)
  std::sort(t.begin(), t.end(), [](const TListed& a, const TListed& b) { return a.listed < b.listed; });
  std::vector<Member> table;
  for (TListed& entry : t) table.push_back(std::move(entry.member));
  return table;
}

}  // namespace

const std::vector<Member>& AllMembers() {
  static const std::vector<Member> table = BuildTable();
  return table;
}

const Member* FindMember(std::string_view name) {
  for (const Member& m : AllMembers()) {
    if (m.name == name) return &m;
  }
  return nullptr;
}

bool ParseValue(ValueType type, const std::string& text, Value& value) {
  switch (type) {
    case ValueType::Bool:
      if (text == "true" || text == "1" || text == "-1") value = true;
      else if (text == "false" || text == "0") value = false;
      else return false;
      return true;
    case ValueType::Text:
      value = Utf8ToCp1251(text);
      return true;
    case ValueType::Int: {
      if (text.empty()) return false;
      errno = 0;
      char* end = nullptr;
      const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
      const long long n = std::strtoll(text.c_str(), &end, hex ? 16 : 10);
      if (errno != 0 || *end != '\0' || n < std::numeric_limits<std::int32_t>::min() ||
          n > std::numeric_limits<std::int32_t>::max()) {
        return false;
      }
      value = static_cast<std::int64_t>(n);
      return true;
    }
  }
  return false;
}

}  // namespace notarel::cli
