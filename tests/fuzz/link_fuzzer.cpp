// libFuzzer target for the receive path and every command's reply check.
//
// Each input is a run of steps on one driver over an in-memory line: the
// command (every device command of the automation interface, or one cycle of
// the polling loop) and the reply the line gives it, in pieces of bytes (raw,
// or well-formed frames that the fuzzer fills), time-outs and read failures
// (the device-gone one among them). After each command the properties every
// caller relies on are checked against what was fed and written, not against
// the driver's own account. The frame reader then runs on the same bytes by
// itself.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "automation_members.h"
#include "device_vocabulary.h"
#include "driver.h"
#include "frame_codec.h"
#include "frame_reader.h"
#include "fuzz_check.h"
#include "result_codes.h"
#include "serial_memory.h"

namespace notarel::fuzz {
namespace {

using TCall = bool (*)(TDriver&);

// A driver method as a success flag (SetDefaults returns nothing).
template <class F>
bool Run(F call) {
  if constexpr (std::is_void_v<decltype(call())>) {
    call();
    return true;
  } else {
    return call();
  }
}

struct TMethod {
  const char* name;
  TCall call;
};

#define FUZZ_METHOD_Driver(name, call) TMethod{#name, [](TDriver& d) { return Run([&] { return call; }); }},
#define FUZZ_METHOD_Control(name, call)
#define FUZZ_METHOD_(iface, name, dispid, type, side, listed, help, call, fills) \
  FUZZ_METHOD_##side(name, call)
#define FUZZ_SKIP_(...)
// Every driver-side method of the automation interface, in its table's order.
const TMethod kMethods[] = {NOTAREL_AUTOMATION_MEMBERS(FUZZ_METHOD_, FUZZ_SKIP_, FUZZ_SKIP_)};
#undef FUZZ_METHOD_Driver
#undef FUZZ_METHOD_Control
#undef FUZZ_METHOD_
#undef FUZZ_SKIP_

struct TCommand {
  const CommandRow* row;
  TCall call;
};

// The device commands: each row of the vocabulary with the member that sends it.
std::vector<TCommand> DeviceCommands() {
  std::vector<TCommand> commands;
  for (const CommandRow& row : kCommandTable) {
    const auto method = std::find_if(std::begin(kMethods), std::end(kMethods), [&](const TMethod& m) {
      return std::string(m.name) == row.member;
    });
    FUZZ_CHECK(method != std::end(kMethods));  // a command no member sends
    commands.push_back({&row, method->call});
  }
  return commands;
}

const std::vector<TCommand>& Commands() {
  static const std::vector<TCommand> commands = DeviceCommands();
  return commands;
}

// The codes a device command can end with.
bool DeviceCode(std::int32_t code) {
  switch (code) {
    case kResultOk:
    case kResultNoLink:
    case kResultCrcError:
    case kResultBadFrame:
    case kResultUnknownReply:
    case kResultSystemError:
    case kResultUnknownCommand:
      return true;
    default:
      return false;
  }
}

// One planned reply and what it holds, for the checks.
struct TPlan {
  TMemorySerial::TReply pieces;
  Bytes bytes;                     // every data byte, in order
  std::vector<SystemError> errors;  // every read failure
  bool gone = false;               // a device-gone failure among them
};

TMemorySerial::TPiece NextPiece(FuzzedDataProvider& in, std::uint8_t command) {
  switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0:
    case 1: {
      const std::string raw = in.ConsumeRandomLengthString(300);
      return TMemorySerial::Data(Bytes(raw.begin(), raw.end()));
    }
    case 2: {  // a whole frame with a body of the fuzzer's
      const std::string body = in.ConsumeRandomLengthString(12);
      return TMemorySerial::Data(BuildFrame(Bytes(body.begin(), body.end())));
    }
    case 3: {  // a whole frame that echoes the command or gives a status byte first
      Bytes body{in.ConsumeBool() ? command : in.ConsumeIntegral<std::uint8_t>()};
      const std::string rest = in.ConsumeRandomLengthString(6);
      body.insert(body.end(), rest.begin(), rest.end());
      return TMemorySerial::Data(BuildFrame(body));
    }
    case 4: {  // a long run of one byte: the sync search's limit
      const auto count = in.ConsumeIntegralInRange<std::size_t>(0, 1100);
      return TMemorySerial::Data(Bytes(count, in.ConsumeIntegral<std::uint8_t>()));
    }
    case 5:
      return TMemorySerial::Timeout();
    case 6:
      return TMemorySerial::ReadError(TMemorySerial::kDeviceGoneError);
    default:
      return TMemorySerial::ReadError(in.ConsumeIntegralInRange<SystemError>(1, 0xFFFF));
  }
}

TPlan NextPlan(FuzzedDataProvider& in, std::uint8_t command) {
  TPlan plan;
  const int count = in.ConsumeIntegralInRange(0, 6);
  for (int i = 0; i < count && in.remaining_bytes() > 0; ++i) {
    TMemorySerial::TPiece piece = NextPiece(in, command);
    plan.bytes.insert(plan.bytes.end(), piece.bytes.begin(), piece.bytes.end());
    if (piece.kind == TMemorySerial::TPiece::kReadError) {
      plan.errors.push_back(piece.error);
      plan.gone = plan.gone || piece.error == TMemorySerial::kDeviceGoneError;
    }
    plan.pieces.push_back(std::move(piece));
  }
  return plan;
}

// The reply frame as far as the driver took it: what it read from the line,
// from the first sync byte on (bytes before it are dropped unrecorded).
Bytes TakenFrame(const Bytes& fed, std::size_t consumed) {
  const auto end = fed.begin() + static_cast<std::ptrdiff_t>(consumed);
  return Bytes(std::find(fed.begin(), end, kFrameSync), end);
}

// A -8 carries the text of a failure fed on the line; every other code its table message.
void CheckDescription(const TDriver& driver, const TPlan& plan, TMemorySerial& serial) {
  const std::int32_t code = driver.ResultCode();
  const std::string description = driver.ResultDescription();
  FUZZ_CHECK(ResultMessage(code) == description || code == kResultSystemError);
  if (code != kResultSystemError) return;
  FUZZ_CHECK(std::any_of(plan.errors.begin(), plan.errors.end(),
                         [&](SystemError e) { return serial.ErrorText(e) == description; }));
}

// The port is open exactly when the line is, and closes only for a device that is gone.
void CheckPort(const TDriver& driver, const TPlan& plan, const TMemorySerial& serial) {
  FUZZ_CHECK(driver.PortOpened() == serial.IsOpen());
  FUZZ_CHECK(driver.PortOpened() || plan.gone);
}

void CheckRequest(const Bytes& frame, std::uint8_t command) {
  FUZZ_CHECK(frame.size() >= 5 && frame.size() <= 7);
  FUZZ_CHECK(frame[0] == kFrameSync && frame[1] == frame.size() && frame[2] == command);
  FUZZ_CHECK(FrameCrcMatches(frame));
}

// One request, one reply: the record of the exchange against the line.
void CheckExchange(const TDriver& driver, bool ok, const TPlan& plan, const TMemorySerial& serial) {
  const std::int32_t code = driver.ResultCode();
  FUZZ_CHECK(DeviceCode(code));
  FUZZ_CHECK(ok == (code == kResultOk));
  FUZZ_CHECK(ok || driver.ExecTime() == 0);
  FUZZ_CHECK(driver.ExecTime() >= 0);
  const std::size_t pending = serial.Pending();
  FUZZ_CHECK(pending <= plan.bytes.size());
  const Bytes taken = TakenFrame(plan.bytes, plan.bytes.size() - pending);
  if (code == kResultSystemError) {
    // A read of the frame's rest that fails loses what it read: the record
    // keeps the sync and the length byte.
    FUZZ_CHECK(taken.size() >= 2 && taken[1] > kFrameOverhead);
    FUZZ_CHECK(driver.Input() == Hex(Bytes(taken.begin(), taken.begin() + 2)));
  } else {
    FUZZ_CHECK(driver.Input() == Hex(taken));
  }
  if (!ok) return;
  // A reply accepted is a whole frame, read to its last byte and no further.
  FUZZ_CHECK(taken.size() >= 5 && taken[1] == taken.size() && FrameCrcMatches(taken));
  FUZZ_CHECK(driver.ReplyData() == Bytes(taken.begin() + 2, taken.end() - 2));
}

void SetFields(FuzzedDataProvider& in, TDriver& driver) {
  const auto mask = in.ConsumeIntegral<std::uint8_t>();
  for (int i = 1; i <= 8; ++i) driver.SetDenomination(i, (mask >> (i - 1)) & 1U);
  driver.SetInhibitStatus(in.ConsumeBool());
  driver.SetDirectionValue(in.ConsumeIntegral<std::uint8_t>());
  driver.SetOptionalSettings(in.ConsumeIntegral<std::uint16_t>());
}

struct TLine {
  std::shared_ptr<TMemorySerial> serial = std::make_shared<TMemorySerial>();
  // The reply to the next write; every later write finds a silent line.
  TPlan next;
  TLine() {
    serial->SetResponder([this](const Bytes&) { return std::exchange(next.pieces, {}); });
  }
};

// Runs one command on its planned reply and checks it; returns the plan.
TPlan RunCommand(FuzzedDataProvider& in, TLine& line, TDriver& driver) {
  const std::vector<TCommand>& commands = Commands();
  const auto pick = in.ConsumeIntegralInRange<std::size_t>(0, commands.size());
  const bool poll = pick == commands.size();  // one cycle of the polling loop
  const std::uint8_t code = poll ? kCommandStatusRequest : commands[pick].row->code;
  if (in.ConsumeBool()) SetFields(in, driver);
  line.next = NextPlan(in, code);
  const TPlan plan = line.next;
  const TResult before = driver.Result();
  const std::int32_t execBefore = driver.ExecTime();
  const bool openBefore = driver.PortOpened();
  const std::size_t pendingBefore = line.serial->Pending();
  line.serial->ClearWritten();
  const bool ok = poll ? (driver.PollStep(), true) : commands[pick].call(driver);

  const std::vector<Bytes> written = line.serial->Written();
  CheckPort(driver, plan, *line.serial);
  FUZZ_CHECK(!written.empty());
  for (const Bytes& frame : written) {
    FUZZ_CHECK(frame.size() >= 5 && FindCommand(frame[2]) != nullptr);
    CheckRequest(frame, frame[2]);
  }
  FUZZ_CHECK(driver.Output() == Hex(written.back()));
  if (poll) {
    CheckDescription(driver, plan, *line.serial);
    FUZZ_CHECK(written.front()[2] == kCommandStatusRequest);
    return plan;
  }
  FUZZ_CHECK(written.size() == 1);
  CheckRequest(written.front(), code);
  if (commands[pick].row->reply == ReplyKind::kNone) {
    // Sent and not waited for: nothing read, the time kept, and the result
    // left as it was (or cleared by the opening, on a port that was closed).
    FUZZ_CHECK(ok && driver.Input().empty() && driver.ExecTime() == execBefore);
    FUZZ_CHECK(line.serial->Pending() == pendingBefore + plan.bytes.size());
    const TResult after = driver.Result();
    const TResult expected = openBefore ? before : TResult{kResultOk, ResultMessage(kResultOk)};
    FUZZ_CHECK(after.code == expected.code && after.description == expected.description);
    return plan;
  }
  CheckDescription(driver, plan, *line.serial);
  CheckExchange(driver, ok, plan, *line.serial);
  return plan;
}

// The frame reader on its own: every byte comes out again in exactly one
// outcome, in order, and each outcome is what its kind says.
void CheckOutcome(const FrameRead& read, std::size_t maxSkipped) {
  const Bytes& b = read.bytes;
  const bool hasSync = std::find(b.begin(), b.end(), kFrameSync) != b.end();
  switch (read.kind) {
    case FrameRead::Kind::kFrame:
      FUZZ_CHECK(b.size() >= 5 && b[0] == kFrameSync && b[1] == b.size() && FrameCrcMatches(b));
      FUZZ_CHECK(BuildFrame(read.Body()) == b);
      return;
    case FrameRead::Kind::kBadCrc:
      FUZZ_CHECK(b.size() >= 5 && b[0] == kFrameSync && b[1] == b.size() && !FrameCrcMatches(b));
      return;
    case FrameRead::Kind::kTooShort:
      FUZZ_CHECK(b.size() == 2 && b[0] == kFrameSync && b[1] <= kFrameOverhead);
      return;
    case FrameRead::Kind::kNoise:
      FUZZ_CHECK(!b.empty() && !hasSync && b.size() <= maxSkipped);
      return;
    case FrameRead::Kind::kCutOff:
      FUZZ_CHECK(!b.empty() && b[0] == kFrameSync && (b.size() < 2 || b.size() < b[1]));
      return;
    case FrameRead::Kind::kGaveUp:
      FUZZ_CHECK(!hasSync && maxSkipped != FrameReader::kUnlimited && b.size() == maxSkipped + 1);
      return;
  }
  const bool kindInEnumeration = false;
  FUZZ_CHECK(kindInEnumeration);
}

void CheckReaderState(const FrameReader& reader) {
  FUZZ_CHECK(reader.Missing() >= 1 && reader.Missing() <= 253);
  FUZZ_CHECK(reader.FrameBegun() == !reader.Partial().empty());
  FUZZ_CHECK(!reader.FrameBegun() || reader.Partial()[0] == kFrameSync);
  FUZZ_CHECK(reader.LengthKnown() == (reader.Partial().size() >= 2));
}

void RunReader(const std::vector<TPlan>& plans, std::size_t maxSkipped) {
  FrameReader reader(maxSkipped);
  Bytes fed;
  Bytes out;
  const auto take = [&](const std::optional<FrameRead>& read) {
    if (!read) return;
    CheckOutcome(*read, maxSkipped);
    out.insert(out.end(), read->bytes.begin(), read->bytes.end());
  };
  for (const TPlan& plan : plans) {
    for (const TMemorySerial::TPiece& piece : plan.pieces) {
      if (piece.kind != TMemorySerial::TPiece::kBytes) {
        take(reader.Silence());
        continue;
      }
      for (std::uint8_t byte : piece.bytes) {
        take(reader.Take(byte));
        CheckReaderState(reader);
      }
      fed.insert(fed.end(), piece.bytes.begin(), piece.bytes.end());
    }
  }
  take(reader.Silence());
  take(reader.TakeNoise());
  FUZZ_CHECK(!reader.FrameBegun() && !reader.TakeNoise());
  FUZZ_CHECK(out == fed);
}

}  // namespace
}  // namespace notarel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace notarel::fuzz;
  const TWallClockWatch watch;
  FuzzedDataProvider in(data, size);
  // The driver's own limit, none, or any other for the reader run.
  const int limit = in.ConsumeIntegralInRange(0, 2);
  const std::size_t maxSkipped = limit == 0   ? 1024
                                 : limit == 1 ? notarel::FrameReader::kUnlimited
                                              : in.ConsumeIntegralInRange<std::size_t>(0, 2000);
  std::vector<TPlan> plans;
  {
    TLine line;
    notarel::TDriver driver(line.serial);
    for (int step = 0; step < 8 && in.remaining_bytes() > 0; ++step) {
      plans.push_back(RunCommand(in, line, driver));
      watch.Check();
    }
  }  // the destruction's inhibit runs on a silent line
  RunReader(plans, maxSkipped);
  watch.Check();
  return 0;
}
