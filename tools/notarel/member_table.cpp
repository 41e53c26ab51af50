#include "member_table.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "cp1251.h"

namespace notarel::cli {
namespace {

using Getter = std::function<Value(TDriver&)>;
using Setter = std::function<void(TDriver&, const Value&)>;

std::int64_t AsInt(const Value& v) { return std::get<std::int64_t>(v); }
bool AsBool(const Value& v) { return std::get<bool>(v); }
// Truncates like a 32-bit integer assigned to a narrower field.
template <class T>
T LowBits(const Value& v) {
  return static_cast<T>(static_cast<std::uint32_t>(AsInt(v)));
}

Member Method(const char* name, std::function<bool(TDriver&)> call,
              std::vector<std::string> fills = {}) {
  Member m;
  m.name = name;
  m.call = std::move(call);
  m.fills = std::move(fills);
  return m;
}

Member Property(const char* name, ValueType type, Getter get, Setter set = nullptr) {
  Member m;
  m.name = name;
  m.type = type;
  m.get = std::move(get);
  m.set = std::move(set);
  return m;
}

void AddDeviceMembers(std::vector<Member>& t) {
  const std::vector<std::string> status = {"StatusCode",   "StatusDescription",
                                           "Denomination", "RejectionCode",
                                           "RejectionDescription", "FailureCode",
                                           "FailureDescription"};
  std::vector<std::string> flags;
  for (int i = 1; i <= 8; ++i) flags.push_back("Denomination" + std::to_string(i));
  t.push_back(Method("ReadStatus", &TDriver::ReadStatus, status));
  t.push_back(Method("OpenPort", &TDriver::OpenPort, {"PortOpened"}));
  t.push_back(Method("ClosePort", &TDriver::ClosePort, {"PortOpened"}));
  t.push_back(Method("Reset", &TDriver::Reset));
  t.push_back(Method("Stack1", &TDriver::Stack1));
  t.push_back(Method("Stack2", &TDriver::Stack2));
  t.push_back(Method("Return", &TDriver::Return));
  t.push_back(Method("Hold", &TDriver::Hold));
  t.push_back(Method("Wait", &TDriver::Wait));
  t.push_back(Method("Ack", &TDriver::Ack));
  t.push_back(Method("WriteEnabledDenominations", &TDriver::WriteEnabledDenominations, flags));
  t.push_back(Method("ReadEnabledDenominations", &TDriver::ReadEnabledDenominations, flags));
  t.push_back(Method("WriteValidatedDenominations", &TDriver::WriteValidatedDenominations, flags));
  t.push_back(Method("ReadValidatedDenominations", &TDriver::ReadValidatedDenominations, flags));
  t.push_back(Method("WriteInhibitStatus", &TDriver::WriteInhibitStatus, {"InhibitStatus"}));
  t.push_back(Method("ReadInhibitStatus", &TDriver::ReadInhibitStatus, {"InhibitStatus"}));
  t.push_back(Method("WriteDirection", &TDriver::WriteDirection, {"DirectionValue"}));
  t.push_back(Method("ReadDirection", &TDriver::ReadDirection, {"DirectionValue"}));
  t.push_back(Method("WriteOptionalSettings", &TDriver::WriteOptionalSettings, {"OptionalSettings"}));
  t.push_back(Method("ReadOptionalSettings", &TDriver::ReadOptionalSettings, {"OptionalSettings"}));
  t.push_back(Method("ReadModelID", &TDriver::ReadModelID, {"ModelID", "DeviceCountryCode"}));
  t.push_back(Method("ReadBootVersion", &TDriver::ReadBootVersion, {"BootVersion"}));
  t.push_back(Method("FindDevice", &TDriver::FindDevice, {"PortNumber", "ModelID"}));
}

void AddResultAndPortMembers(std::vector<Member>& t) {
  using VT = ValueType;
  t.push_back(Property("ResultCode", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.ResultCode()}; }));
  t.push_back(Property("ResultDescription", VT::Text, [](TDriver& d) -> Value { return d.ResultDescription(); }));
  t.push_back(Property("PortNumber", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.PortNumber()}; },
                       [](TDriver& d, const Value& v) {
                         // Numbers outside the ports the control can name are ignored.
                         if (AsInt(v) >= 1 && AsInt(v) <= 32) d.SetPortNumber(static_cast<std::int32_t>(AsInt(v)));
                       }));
  t.push_back(Property("BaudRate", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.BaudRate()}; },
                       [](TDriver& d, const Value& v) { d.SetBaudRate(LowBits<std::int32_t>(v)); }));
  t.push_back(Property("PortOpened", VT::Bool, [](TDriver& d) -> Value { return d.PortOpened(); }));
  t.push_back(Property("Input", VT::Text, [](TDriver& d) -> Value { return d.Input(); }));
  t.push_back(Property("Output", VT::Text, [](TDriver& d) -> Value { return d.Output(); }));
  t.push_back(Property("ExecTime", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.ExecTime()}; }));
}

void AddStatusMembers(std::vector<Member>& t) {
  using VT = ValueType;
  t.push_back(Property("StatusCode", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.StatusCode()}; }));
  t.push_back(Property("StatusDescription", VT::Text, [](TDriver& d) -> Value { return d.StatusDescription(); }));
  t.push_back(Property("Denomination", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.DenominationCode()}; }));
  t.push_back(Property("RejectionCode", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.RejectionCode()}; }));
  t.push_back(Property("RejectionDescription", VT::Text, [](TDriver& d) -> Value { return d.RejectionDescription(); }));
  t.push_back(Property("FailureCode", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.FailureCode()}; }));
  t.push_back(Property("FailureDescription", VT::Text, [](TDriver& d) -> Value { return d.FailureDescription(); }));
}

void AddSettingMembers(std::vector<Member>& t) {
  using VT = ValueType;
  for (int i = 1; i <= 8; ++i) {
    t.push_back(Property(("Denomination" + std::to_string(i)).c_str(), VT::Bool,
                         [i](TDriver& d) -> Value { return d.Denomination(i); },
                         [i](TDriver& d, const Value& v) { d.SetDenomination(i, AsBool(v)); }));
  }
  t.push_back(Property("InhibitStatus", VT::Bool, [](TDriver& d) -> Value { return d.InhibitStatus(); },
                       [](TDriver& d, const Value& v) { d.SetInhibitStatus(AsBool(v)); }));
  t.push_back(Property("DirectionValue", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.DirectionValue()}; },
                       [](TDriver& d, const Value& v) { d.SetDirectionValue(LowBits<std::uint8_t>(v)); }));
  t.push_back(Property("OptionalSettings", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.OptionalSettings()}; },
                       [](TDriver& d, const Value& v) { d.SetOptionalSettings(LowBits<std::uint16_t>(v)); }));
  t.push_back(Property("ModelID", VT::Text, [](TDriver& d) -> Value { return d.ModelID(); }));
  t.push_back(Property("BootVersion", VT::Text, [](TDriver& d) -> Value { return d.BootVersion(); }));
  t.push_back(Property("DeviceCountryCode", VT::Text, [](TDriver& d) -> Value { return d.DeviceCountryCode(); }));
}

void AddCountryAndSettingsMembers(std::vector<Member>& t) {
  using VT = ValueType;
  t.push_back(Method("SetDefaults", [](TDriver& d) { d.SetDefaults(); return true; }, {"PortNumber", "BaudRate", "CountryCount"}));
  t.push_back(Method("LoadParams", &TDriver::LoadParams, {"PortNumber", "BaudRate", "CountryCount", "CurrentCountryCode"}));
  t.push_back(Method("SaveParams", &TDriver::SaveParams, {"FileName"}));
  t.push_back(Method("CountryByCode", &TDriver::CountryByCode, {"CurrentCountryCode"}));
  t.push_back(Method("CountryByCurrencyName", &TDriver::CountryByCurrencyName, {"CurrentCountryCode"}));
  t.push_back(Method("CountryByIndex", &TDriver::CountryByIndex, {"CurrentCountryCode"}));
  t.push_back(Method("GetBillSumm", &TDriver::GetBillSumm, {"BillCode", "BillSumm"}));
  t.push_back(Method("GetCountryParams", &TDriver::GetCountryParams, {"CountryName", "CountryCode", "CurrencyName"}));
  t.push_back(Property("FileName", VT::Text, [](TDriver& d) -> Value { return d.FileName(); },
                       [](TDriver& d, const Value& v) { d.SetFileName(std::get<std::string>(v)); }));
  t.push_back(Property("BillCode", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.BillCode()}; },
                       [](TDriver& d, const Value& v) { d.SetBillCode(LowBits<std::int32_t>(v)); }));
  t.push_back(Property("BillSumm", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.BillSumm()}; },
                       [](TDriver& d, const Value& v) { d.SetBillSumm(LowBits<std::int32_t>(v)); }));
  t.push_back(Property("CountryCode", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.CountryCode()}; },
                       [](TDriver& d, const Value& v) { d.SetCountryCode(LowBits<std::int32_t>(v)); }));
  t.push_back(Property("CountryCount", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.CountryCount()}; }));
  t.push_back(Property("CountryIndex", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.CountryIndex()}; },
                       [](TDriver& d, const Value& v) { d.SetCountryIndex(LowBits<std::int32_t>(v)); }));
  t.push_back(Property("CountryName", VT::Text, [](TDriver& d) -> Value { return d.CountryName(); }));
  t.push_back(Property("CurrencyIndex", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.CurrencyIndex()}; },
                       [](TDriver& d, const Value& v) { d.SetCurrencyIndex(LowBits<std::int32_t>(v)); }));
  t.push_back(Property("CurrencyName", VT::Text, [](TDriver& d) -> Value { return d.CurrencyName(); },
                       [](TDriver& d, const Value& v) { d.SetCurrencyName(std::get<std::string>(v)); }));
  t.push_back(Property("CurrentCountryCode", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.CurrentCountryCode()}; }));
}

void AddPollingMembers(std::vector<Member>& t) {
  using VT = ValueType;
  t.push_back(Method("StartPolling", &TDriver::StartPolling, {"PollingStarted"}));
  t.push_back(Method("StopPolling", &TDriver::StopPolling, {"PollingStarted"}));
  t.push_back(Property("PollingStarted", VT::Bool, [](TDriver& d) -> Value { return d.PollingStarted(); }));
  t.push_back(Property("PollingInterval", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.PollingInterval()}; },
                       [](TDriver& d, const Value& v) { d.SetPollingInterval(LowBits<std::uint32_t>(v)); }));
  t.push_back(Property("ErrorTimeout", VT::Int, [](TDriver& d) -> Value { return std::int64_t{d.ErrorTimeout()}; },
                       [](TDriver& d, const Value& v) { d.SetErrorTimeout(LowBits<std::uint32_t>(v)); }));
  t.push_back(Property("BillEnabled", VT::Bool, [](TDriver& d) -> Value { return d.BillEnabled(); },
                       [](TDriver& d, const Value& v) { d.SetBillEnabled(AsBool(v)); }));
}

std::vector<Member> BuildTable() {
  std::vector<Member> table;
  AddResultAndPortMembers(table);
  AddDeviceMembers(table);
  AddStatusMembers(table);
  AddSettingMembers(table);
  AddCountryAndSettingsMembers(table);
  AddPollingMembers(table);
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
