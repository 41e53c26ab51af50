#include "control_command.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

#include "device_vocabulary.h"

namespace notarel::emu {
namespace {

enum class Arg { kNone, kNumber, kOptionalNumber, kStateHex, kByteList, kPowerUpKind, kOnOff,
                 kBaud, kSoak, kAnswer, kHost, kSlow };

struct VerbRule {
  const char* name;
  Verb verb;
  Arg arg;
  std::uint32_t max;  // for kNumber
};

constexpr std::uint32_t kMaxMillis = 24U * 3600U * 1000U;
constexpr std::uint32_t kMaxGarbage = 65536;

constexpr VerbRule kVerbs[] = {
    {"insert", Verb::kInsert, Arg::kNumber, 255},
    {"reject", Verb::kReject, Arg::kNumber, 255},
    {"fail", Verb::kFail, Arg::kNumber, 255},
    {"state", Verb::kState, Arg::kStateHex, 0},
    {"clear", Verb::kClear, Arg::kNone, 0},
    {"powerup", Verb::kPowerUp, Arg::kPowerUpKind, 0},
    {"restart", Verb::kRestart, Arg::kNone, 0},
    {"silent", Verb::kSilent, Arg::kNumber, kMaxMillis},
    {"garbage", Verb::kGarbage, Arg::kNumber, kMaxGarbage},
    {"corrupt", Verb::kCorrupt, Arg::kNone, 0},
    {"swapcrc", Verb::kSwapCrc, Arg::kNone, 0},
    {"truncate", Verb::kTruncate, Arg::kNumber, kMaxGarbage},
    {"raw", Verb::kRaw, Arg::kByteList, 0},
    {"reply", Verb::kReply, Arg::kByteList, 0},
    {"trailing", Verb::kTrailing, Arg::kByteList, 0},
    {"stream", Verb::kStream, Arg::kOnOff, 0},
    {"delay", Verb::kDelay, Arg::kNumber, kMaxMillis},
    {"wire", Verb::kWire, Arg::kBaud, 0},
    {"hangup", Verb::kHangup, Arg::kOptionalNumber, kMaxMillis},
    {"counters", Verb::kCounters, Arg::kNone, 0},
    {"status", Verb::kStatus, Arg::kNone, 0},
    {"sleep", Verb::kSleep, Arg::kNumber, kMaxMillis},
    {"quit", Verb::kQuit, Arg::kNone, 0},
    {"soak", Verb::kSoak, Arg::kSoak, 0},
    {"answer", Verb::kAnswer, Arg::kAnswer, 0},
    {"host", Verb::kHost, Arg::kHost, 0},
    {"slow", Verb::kSlow, Arg::kSlow, kMaxMillis},
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return -1;
}

bool ParseDigits(const std::string& digits, unsigned base, std::uint32_t max, std::uint32_t& value) {
  if (digits.empty()) return false;
  unsigned long long v = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0 || static_cast<unsigned>(d) >= base) return false;
    v = v * base + static_cast<unsigned>(d);
    if (v > max) return false;
  }
  value = static_cast<std::uint32_t>(v);
  return true;
}

bool ParseByteList(const std::vector<std::string>& words, Bytes& bytes) {
  if (words.empty()) return false;
  for (const std::string& w : words) {
    std::uint32_t v = 0;
    if (w.size() != 2 || !ParseDigits(w, 16, 0xFF, v)) return false;
    bytes.push_back(static_cast<std::uint8_t>(v));
  }
  return true;
}

// "off", or a seed and NAME=VALUE rate words.
std::string ParseSoak(const std::vector<std::string>& args, ControlCommand& cmd) {
  if (args.size() == 1 && args.front() == "off") return "";
  if (args.empty() || !ParseNumber(args.front(), 0xFFFFFFFFU, cmd.number)) {
    return "expects off, or a seed and NAME=VALUE rates";
  }
  cmd.on = true;
  std::string error;
  if (!ApplySoakRates({args.begin() + 1, args.end()}, cmd.rates, error)) return error;
  return "";
}

// Fills the command's argument; returns an empty text or why the argument is wrong.
std::string ParseArgument(const VerbRule& rule, const std::vector<std::string>& args, ControlCommand& cmd) {
  const std::string first = args.empty() ? std::string() : args.front();
  const bool one = args.size() == 1;
  switch (rule.arg) {
    case Arg::kNone:
      return args.empty() ? "" : "takes no argument";
    case Arg::kNumber:
      return one && ParseNumber(first, rule.max, cmd.number)
                 ? ""
                 : "expects a number from 0 to " + std::to_string(rule.max);
    case Arg::kOptionalNumber:
      if (args.empty()) return "";
      return one && ParseNumber(first, rule.max, cmd.number)
                 ? ""
                 : "expects nothing or a number from 0 to " + std::to_string(rule.max);
    case Arg::kStateHex: {
      // The argument is a status byte and always read as hex, with or without 0x.
      const bool prefixed = first.size() > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X');
      return one && ParseDigits(prefixed ? first.substr(2) : first, 16, 0xFF, cmd.number)
                 ? ""
                 : "expects a hex status byte";
    }
    case Arg::kByteList:
      return ParseByteList(args, cmd.bytes) ? "" : "expects two-digit hex bytes";
    case Arg::kPowerUpKind:
      if (args.empty() || (one && first == "plain")) cmd.number = kStatusPowerUp;
      else if (one && first == "acceptor") cmd.number = kStatusPowerUpBillInAcceptor;
      else if (one && first == "stacker") cmd.number = kStatusPowerUpBillInStacker;
      else return "expects plain, acceptor or stacker";
      return "";
    case Arg::kOnOff:
      if (!one || (first != "on" && first != "off")) return "expects on or off";
      cmd.on = first == "on";
      return "";
    case Arg::kBaud:
      if (one && ParseNumber(first, 19200, cmd.number) &&
          (cmd.number == 0 || cmd.number == 9600 || cmd.number == 19200)) {
        return "";
      }
      return "expects 0, 9600 or 19200";
    case Arg::kSoak:
      return ParseSoak(args, cmd);
    case Arg::kAnswer:
      if (!one || (first != "accept" && first != "refuse")) return "expects accept or refuse";
      cmd.on = first == "accept";
      return "";
    case Arg::kHost:
      if (!one || (first != "polling" && first != "stopped")) return "expects polling or stopped";
      cmd.on = first == "polling";
      return "";
    case Arg::kSlow:
      // A command byte in hex, then the extra delay of its replies in ms.
      if (args.size() == 2 && ParseByteList({first}, cmd.bytes) &&
          ParseNumber(args[1], rule.max, cmd.number)) {
        return "";
      }
      return "expects a hex command byte and milliseconds";
  }
  return "bad argument";
}

}  // namespace

bool ParseNumber(const std::string& text, std::uint32_t max, std::uint32_t& value) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return ParseDigits(text.substr(2), 16, max, value);
  }
  return ParseDigits(text, 10, max, value);
}

ParsedLine ParseControlLine(const std::string& line) {
  std::istringstream words(line);
  std::string name;
  ParsedLine parsed;
  if (!(words >> name) || name[0] == '#') return parsed;
  std::vector<std::string> args;
  for (std::string w; words >> w;) args.push_back(w);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });

  parsed.kind = ParsedLine::Kind::kError;
  const auto rule = std::find_if(std::begin(kVerbs), std::end(kVerbs),
                                 [&](const VerbRule& s) { return name == s.name; });
  if (rule == std::end(kVerbs)) {
    parsed.error = "unknown command " + name;
    return parsed;
  }
  parsed.command.verb = rule->verb;
  const std::string why = ParseArgument(*rule, args, parsed.command);
  if (!why.empty()) {
    parsed.error = name + " " + why;
    return parsed;
  }
  parsed.kind = ParsedLine::Kind::kCommand;
  return parsed;
}

}  // namespace notarel::emu
