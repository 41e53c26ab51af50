#pragma once
// The vocabulary of the automation interface, in one table: every member of
// IWBA003 to IWBA003_4 in vtable order, and the events of IWBAEvents.
//
// NOTAREL_AUTOMATION_MEMBERS(METHOD, GETTER, PROPERTY) calls one of the three
// for each member:
//   METHOD(iface, name, dispid, type, side, listed, help, call, fills)
//   GETTER(iface, name, dispid, type, side, listed, help, read)
//   PROPERTY(iface, name, dispid, type, side, listed, help, read, write)
// A GETTER is a read-only property, a PROPERTY one that is read and written
// (propget, then propput with the same DISPID). `type` is the member's value
// type (TType below; for a method, the type of its out-parameter). `side` is
// Driver when the member forwards to the driver core, as the expressions
// `call`, `read` and `write` say (on a TDriver `d`; `write` takes the written
// value `v` already converted for its type), or Control for the control's own
// members, which have no such expressions. `listed` is the member's place in
// the command-line tool's member list (0: not offered there), `help` its help
// string, and `fills` the properties a method fills, which the tool prints
// after it.
//
// The type library (Notarel.idl) is written out by hand, since widl cannot
// read this table; a test compares the registered library against it. Every
// other copy is derived from the table: the control's declarations and
// forwarding, the property bag names, the command-line tool's members, the
// test program's DISPIDs.
//
// Portable: included by the Windows control and by the command-line tool.
#include <cstdint>

#define NOTAREL_STATUS_FIELDS \
  "StatusCode StatusDescription Denomination RejectionCode RejectionDescription FailureCode FailureDescription"
#define NOTAREL_FLAG_FIELDS \
  "Denomination1 Denomination2 Denomination3 Denomination4 Denomination5 Denomination6 Denomination7 Denomination8"

// clang-format off
#define NOTAREL_AUTOMATION_MEMBERS(METHOD, GETTER, PROPERTY) \
  /* IWBA003 */ \
  GETTER(IWBA003, ResultCode, 1, Long, Driver, 1, "Код ошибки", d.ResultCode()) \
  GETTER(IWBA003, ResultDescription, 2, Text, Driver, 2, "Описание ошибки", d.ResultDescription()) \
  METHOD(IWBA003, ReadStatus, 3, Bool, Driver, 9, "Запрос состояния", d.ReadStatus(), NOTAREL_STATUS_FIELDS) \
  PROPERTY(IWBA003, PortNumber, 4, Port, Driver, 3, "Номер порта", d.PortNumber(), d.SetPortNumber(v)) \
  METHOD(IWBA003, OpenPort, 5, Bool, Driver, 10, "Открыть COM порт", d.OpenPort(), "PortOpened") \
  METHOD(IWBA003, ClosePort, 6, Bool, Driver, 11, "Закрыть COM порт", d.ClosePort(), "PortOpened") \
  GETTER(IWBA003, PortOpened, 7, Bool, Driver, 5, "Порт открыт", d.PortOpened()) \
  GETTER(IWBA003, Input, 8, Text, Driver, 6, "Принятые данные", d.Input()) \
  GETTER(IWBA003, Output, 9, Text, Driver, 7, "Посланные данные", d.Output()) \
  GETTER(IWBA003, StatusCode, 10, Long, Driver, 32, "Код состояния", d.StatusCode()) \
  GETTER(IWBA003, StatusDescription, 11, Text, Driver, 33, "Описание состояния", d.StatusDescription()) \
  GETTER(IWBA003, Denomination, 12, Long, Driver, 34, "Достоинство купюры", d.DenominationCode()) \
  GETTER(IWBA003, RejectionCode, 13, Long, Driver, 35, "Код возврата купюры", d.RejectionCode()) \
  GETTER(IWBA003, RejectionDescription, 14, Text, Driver, 36, "Описание кода возврата купюры", d.RejectionDescription()) \
  GETTER(IWBA003, FailureCode, 15, Long, Driver, 37, "Код ошибки устройства", d.FailureCode()) \
  GETTER(IWBA003, FailureDescription, 16, Text, Driver, 38, "Описание кода ошибки устройства", d.FailureDescription()) \
  METHOD(IWBA003, Reset, 17, Bool, Driver, 12, "Сброс устройства", d.Reset(), "") \
  METHOD(IWBA003, Stack1, 18, Bool, Driver, 13, "Команда \"Уложить купюру 1\"", d.Stack1(), "") \
  METHOD(IWBA003, Stack2, 19, Bool, Driver, 14, "Команда \"Уложить купюру 2\"", d.Stack2(), "") \
  METHOD(IWBA003, Return, 20, Bool, Driver, 15, "Возврат купюры", d.Return(), "") \
  METHOD(IWBA003, Hold, 21, Bool, Driver, 16, "Удержать купюру", d.Hold(), "") \
  METHOD(IWBA003, Wait, 22, Bool, Driver, 17, "Ожидание", d.Wait(), "") \
  METHOD(IWBA003, WriteEnabledDenominations, 30, Bool, Driver, 19, "Запись принимаемых достоинств купюр", d.WriteEnabledDenominations(), NOTAREL_FLAG_FIELDS) \
  PROPERTY(IWBA003, Denomination1, 31, Bool, Driver, 39, "Достоинство купюры 1", d.Denomination(1), d.SetDenomination(1, v)) \
  PROPERTY(IWBA003, Denomination2, 32, Bool, Driver, 40, "Достоинство купюры 2", d.Denomination(2), d.SetDenomination(2, v)) \
  PROPERTY(IWBA003, Denomination3, 33, Bool, Driver, 41, "Достоинство купюры 3", d.Denomination(3), d.SetDenomination(3, v)) \
  PROPERTY(IWBA003, Denomination4, 34, Bool, Driver, 42, "Достоинство купюры 4", d.Denomination(4), d.SetDenomination(4, v)) \
  PROPERTY(IWBA003, Denomination5, 35, Bool, Driver, 43, "Достоинство купюры 5", d.Denomination(5), d.SetDenomination(5, v)) \
  PROPERTY(IWBA003, Denomination6, 36, Bool, Driver, 44, "Достоинство купюры 6", d.Denomination(6), d.SetDenomination(6, v)) \
  PROPERTY(IWBA003, Denomination7, 37, Bool, Driver, 45, "Достоинство купюры 7", d.Denomination(7), d.SetDenomination(7, v)) \
  PROPERTY(IWBA003, Denomination8, 38, Bool, Driver, 46, "Достоинство купюры 8", d.Denomination(8), d.SetDenomination(8, v)) \
  METHOD(IWBA003, WriteValidatedDenominations, 41, Bool, Driver, 21, "Запись проверяемых достоинств купюр", d.WriteValidatedDenominations(), NOTAREL_FLAG_FIELDS) \
  METHOD(IWBA003, WriteInhibitStatus, 42, Bool, Driver, 23, "Запись запрета приема денег", d.WriteInhibitStatus(), "InhibitStatus") \
  PROPERTY(IWBA003, InhibitStatus, 43, Bool, Driver, 47, "Запрет приема денег", d.InhibitStatus(), d.SetInhibitStatus(v)) \
  PROPERTY(IWBA003, DirectionValue, 44, Byte, Driver, 48, "Направление", d.DirectionValue(), d.SetDirectionValue(v)) \
  METHOD(IWBA003, WriteDirection, 45, Bool, Driver, 25, "Запись направления", d.WriteDirection(), "DirectionValue") \
  PROPERTY(IWBA003, OptionalSettings, 46, Word, Driver, 49, "Дополнительные параметры", d.OptionalSettings(), d.SetOptionalSettings(v)) \
  METHOD(IWBA003, WriteOptionalSettings, 47, Bool, Driver, 27, "Запись дополнительных параметров", d.WriteOptionalSettings(), "OptionalSettings") \
  METHOD(IWBA003, ReadEnabledDenominations, 48, Bool, Driver, 20, "Чтение разрешенных достоинств купюр", d.ReadEnabledDenominations(), NOTAREL_FLAG_FIELDS) \
  METHOD(IWBA003, ReadValidatedDenominations, 49, Bool, Driver, 22, "Чтение проверяемых достоинств купюр", d.ReadValidatedDenominations(), NOTAREL_FLAG_FIELDS) \
  METHOD(IWBA003, ReadInhibitStatus, 50, Bool, Driver, 24, "Чтение запрета приема денег", d.ReadInhibitStatus(), "InhibitStatus") \
  METHOD(IWBA003, ReadDirection, 51, Bool, Driver, 26, "Чтение направления", d.ReadDirection(), "DirectionValue") \
  METHOD(IWBA003, ReadOptionalSettings, 52, Bool, Driver, 28, "Чтение дополнительных параметров", d.ReadOptionalSettings(), "OptionalSettings") \
  METHOD(IWBA003, ReadModelID, 53, Bool, Driver, 29, "Чтение идентификатора модели", d.ReadModelID(), "ModelID DeviceCountryCode") \
  GETTER(IWBA003, ModelID, 54, Text, Driver, 50, "Идентификатор модели", d.ModelID()) \
  METHOD(IWBA003, ReadBootVersion, 55, Bool, Driver, 30, "Чтение версии прошивки", d.ReadBootVersion(), "BootVersion") \
  GETTER(IWBA003, BootVersion, 56, Text, Driver, 51, "Версия прошивки", d.BootVersion()) \
  GETTER(IWBA003, FileVersion, 23, Text, Control, 0, "Версия файла драйвера", NOTAREL_CONTROL_SIDE) \
  METHOD(IWBA003, Ack, 25, Bool, Driver, 18, "Команда ACK для выхода из состояния VEND VALID", d.Ack(), "") \
  PROPERTY(IWBA003, BaudRate, 24, Long, Driver, 4, "", d.BaudRate(), d.SetBaudRate(v)) \
  /* IWBA003_2 */ \
  METHOD(IWBA003_2, StartPolling, 26, Bool, Driver, 71, "Начать опрос", d.StartPolling(), "PollingStarted") \
  METHOD(IWBA003_2, StopPolling, 27, Bool, Driver, 72, "Остановить опрос", d.StopPolling(), "PollingStarted") \
  PROPERTY(IWBA003_2, PollingInterval, 28, Unsigned, Driver, 74, "Интервал опроса", d.PollingInterval(), d.SetPollingInterval(v)) \
  PROPERTY(IWBA003_2, ErrorTimeout, 29, Unsigned, Driver, 75, "Время восстановления", d.ErrorTimeout(), d.SetErrorTimeout(v)) \
  GETTER(IWBA003_2, PollingStarted, 39, Bool, Driver, 73, "Опрос начат", d.PollingStarted()) \
  PROPERTY(IWBA003_2, BillEnabled, 40, Bool, Driver, 76, "Разрешен прием купюр", d.BillEnabled(), d.SetBillEnabled(v)) \
  /* IWBA003_3 */ \
  METHOD(IWBA003_3, ShowProperties, 57, Long, Control, 0, "", NOTAREL_CONTROL_SIDE, "") \
  PROPERTY(IWBA003_3, ParentWnd, 58, Long, Control, 0, "", NOTAREL_CONTROL_SIDE, NOTAREL_CONTROL_SIDE) \
  METHOD(IWBA003_3, ShowFindDlg, 59, Long, Control, 0, "", NOTAREL_CONTROL_SIDE, "") \
  METHOD(IWBA003_3, AboutBox, -552, Void, Control, 0, "", NOTAREL_CONTROL_SIDE, "") \
  METHOD(IWBA003_3, SetDefaults, 61, Long, Driver, 53, "", d.SetDefaults(), "PortNumber BaudRate CountryCount") \
  GETTER(IWBA003_3, ExecTime, 60, Long, Driver, 8, "", d.ExecTime()) \
  /* IWBA003_4 */ \
  METHOD(IWBA003_4, CountryByCode, 62, Bool, Driver, 56, "", d.CountryByCode(), "CurrentCountryCode") \
  METHOD(IWBA003_4, CountryByCurrencyName, 63, Bool, Driver, 57, "", d.CountryByCurrencyName(), "CurrentCountryCode") \
  METHOD(IWBA003_4, CountryByIndex, 64, Bool, Driver, 58, "", d.CountryByIndex(), "CurrentCountryCode") \
  METHOD(IWBA003_4, GetBillSumm, 65, Bool, Driver, 59, "", d.GetBillSumm(), "BillCode BillSumm") \
  METHOD(IWBA003_4, GetCountryParams, 66, Bool, Driver, 60, "", d.GetCountryParams(), "CountryName CountryCode CurrencyName") \
  METHOD(IWBA003_4, LoadParams, 67, Bool, Driver, 54, "", d.LoadParams(), "PortNumber BaudRate CountryCount CurrentCountryCode") \
  METHOD(IWBA003_4, SaveParams, 68, Bool, Driver, 55, "", d.SaveParams(), "FileName") \
  PROPERTY(IWBA003_4, BillCode, 69, Long, Driver, 62, "", d.BillCode(), d.SetBillCode(v)) \
  PROPERTY(IWBA003_4, BillSumm, 70, Long, Driver, 63, "", d.BillSumm(), d.SetBillSumm(v)) \
  PROPERTY(IWBA003_4, CountryCode, 71, Long, Driver, 64, "", d.CountryCode(), d.SetCountryCode(v)) \
  GETTER(IWBA003_4, CountryCount, 72, Long, Driver, 65, "", d.CountryCount()) \
  PROPERTY(IWBA003_4, CountryIndex, 73, Long, Driver, 66, "", d.CountryIndex(), d.SetCountryIndex(v)) \
  GETTER(IWBA003_4, CountryName, 74, Text, Driver, 67, "", d.CountryName()) \
  PROPERTY(IWBA003_4, CurrencyIndex, 75, Long, Driver, 68, "", d.CurrencyIndex(), d.SetCurrencyIndex(v)) \
  PROPERTY(IWBA003_4, CurrencyName, 76, Text, Driver, 69, "", d.CurrencyName(), d.SetCurrencyName(v)) \
  GETTER(IWBA003_4, CurrentCountryCode, 77, Long, Driver, 70, "", d.CurrentCountryCode()) \
  PROPERTY(IWBA003_4, FileName, 78, Path, Driver, 61, "", d.FileName(), d.SetFileName(v)) \
  GETTER(IWBA003_4, DeviceCountryCode, 79, Text, Driver, 52, "", d.DeviceCountryCode()) \
  METHOD(IWBA003_4, FindDevice, 80, Bool, Driver, 31, "Поиск устройства", d.FindDevice(), "PortNumber ModelID")

// NOTAREL_AUTOMATION_EVENTS(EVENT) calls EVENT(name, dispid, arguments, help)
// for each event of IWBAEvents; `arguments` is a TEventArguments.
#define NOTAREL_AUTOMATION_EVENTS(EVENT) \
  EVENT(Error, 1, CodeAndText, "Ошибка при опросе") \
  EVENT(Bill, 2, SumAndAnswer, "Получена купюра") \
  EVENT(Reject, 3, CodeAndText, "Отказ приему купюры") \
  EVENT(Stacked, 4, None, "Купюра уложена")
// clang-format on

namespace notarel::members {

enum class TInterface { IWBA003, IWBA003_2, IWBA003_3, IWBA003_4 };
enum class TKind { Method, Getter, Property };
enum class TSide { Driver, Control };
// Bool, Long and Text are the automation types VARIANT_BOOL, long and BSTR.
// The other long types say how a written number reaches the driver: Port is
// stored only when it names one of the ports COM1 to COM32, Byte keeps the
// low 8 bits, Word the low 16, Unsigned is taken as an unsigned number. Path
// is a BSTR that stays in the ANSI code page (a file name), where Text is
// converted to the code page of the driver's texts. Void: a method with no
// out-parameter.
enum class TType { Void, Bool, Long, Port, Byte, Word, Unsigned, Text, Path };
// Error and Reject: (long code, long extended code, BSTR text); Bill: (long
// sum, [out] VARIANT_BOOL* accept); Stacked: none.
enum class TEventArguments { CodeAndText, SumAndAnswer, None };

struct TMember {
  TInterface iface;
  const char* name;
  std::int32_t dispid;
  TKind kind;
  TType type;
  TSide side;
  int listed;
  const char* help;  // UTF-8
  const char* fills;
};

struct TEvent {
  const char* name;
  std::int32_t dispid;
  TEventArguments arguments;
  const char* help;  // UTF-8
};

#define NOTAREL_MEMBER_ROW_(kind, iface, name, dispid, type, side, listed, help, fills) \
  TMember{TInterface::iface, #name, dispid, TKind::kind, TType::type, TSide::side, listed, help, fills},
#define NOTAREL_METHOD_ROW_(iface, name, dispid, type, side, listed, help, call, fills) \
  NOTAREL_MEMBER_ROW_(Method, iface, name, dispid, type, side, listed, help, fills)
#define NOTAREL_GETTER_ROW_(iface, name, dispid, type, side, listed, help, read) \
  NOTAREL_MEMBER_ROW_(Getter, iface, name, dispid, type, side, listed, help, "")
#define NOTAREL_PROPERTY_ROW_(iface, name, dispid, type, side, listed, help, read, write) \
  NOTAREL_MEMBER_ROW_(Property, iface, name, dispid, type, side, listed, help, "")
#define NOTAREL_EVENT_ROW_(name, dispid, arguments, help) \
  TEvent{#name, dispid, TEventArguments::arguments, help},

// The members in vtable order, and the events in DISPID order.
inline constexpr TMember kMembers[] = {
    NOTAREL_AUTOMATION_MEMBERS(NOTAREL_METHOD_ROW_, NOTAREL_GETTER_ROW_, NOTAREL_PROPERTY_ROW_)};
inline constexpr TEvent kEvents[] = {NOTAREL_AUTOMATION_EVENTS(NOTAREL_EVENT_ROW_)};

#undef NOTAREL_MEMBER_ROW_
#undef NOTAREL_METHOD_ROW_
#undef NOTAREL_GETTER_ROW_
#undef NOTAREL_PROPERTY_ROW_
#undef NOTAREL_EVENT_ROW_

// The port numbers a PortNumber write may name: the machine's COM1 to COM32.
inline constexpr std::int32_t kFirstPort = 1;
inline constexpr std::int32_t kLastPort = 32;
constexpr bool IsPortNumber(std::int32_t value) { return value >= kFirstPort && value <= kLastPort; }

// Whether a write of the number `value` to a member of type T reaches the
// driver at all; an out-of-range port is ignored without a trace.
template <TType T>
constexpr bool Accepts(std::int32_t value) {
  return T != TType::Port || IsPortNumber(value);
}

// The number a write of type T hands to the driver.
template <TType T>
constexpr auto FromLong(std::int32_t value) {
  if constexpr (T == TType::Byte) {
    return static_cast<std::uint8_t>(value & 0xFF);
  } else if constexpr (T == TType::Word) {
    return static_cast<std::uint16_t>(value & 0xFFFF);
  } else if constexpr (T == TType::Unsigned) {
    return static_cast<std::uint32_t>(value);
  } else {
    return value;
  }
}

namespace detail {
constexpr bool SameText(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}
// No two members share a name or a DISPID.
constexpr bool MembersAreDistinct() {
  for (const TMember& a : kMembers) {
    int names = 0, dispids = 0;
    for (const TMember& b : kMembers) {
      names += SameText(a.name, b.name);
      dispids += a.dispid == b.dispid;
    }
    if (names != 1 || dispids != 1) return false;
  }
  return true;
}
}  // namespace detail

// The DISPID of the event with this name; not a constant expression when
// there is none.
constexpr std::int32_t EventDispid(const char* name) {
  for (const TEvent& event : kEvents) {
    if (detail::SameText(event.name, name)) return event.dispid;
  }
  throw "no such event";
}

static_assert(detail::MembersAreDistinct(), "a member name or DISPID is used twice");

}  // namespace notarel::members
