// The control language as a user types it, and the device commands' answers.
#include <gtest/gtest.h>

#include "control_channel.h"
#include "control_command.h"
#include "device_commands.h"
#include "emu_options.h"
#include "hex_bytes.h"

namespace notarel::emu {
namespace {

ControlCommand Parse(const std::string& line) {
  const ParsedLine parsed = ParseControlLine(line);
  EXPECT_EQ(parsed.kind, ParsedLine::Kind::kCommand) << line << ": " << parsed.error;
  return parsed.command;
}

std::string ErrorOf(const std::string& line) {
  const ParsedLine parsed = ParseControlLine(line);
  EXPECT_EQ(parsed.kind, ParsedLine::Kind::kError) << line;
  return parsed.error;
}

TEST(ControlLanguage, NumbersAreDecimalOrHex) {
  EXPECT_EQ(Parse("insert 101").number, 101U);
  EXPECT_EQ(Parse("insert 0x65").number, 0x65U);
  EXPECT_EQ(Parse("INSERT 0X65\r").number, 0x65U) << "case and a CR from a TCP client";
  EXPECT_EQ(Parse("  delay   250 ").number, 250U);
  EXPECT_EQ(ErrorOf("insert 256"), "insert expects a number from 0 to 255");
  EXPECT_EQ(ErrorOf("insert -1"), "insert expects a number from 0 to 255");
  EXPECT_EQ(ErrorOf("insert 0x"), "insert expects a number from 0 to 255");
  EXPECT_EQ(ErrorOf("insert 12 13"), "insert expects a number from 0 to 255");
  EXPECT_EQ(ErrorOf("silent"), "silent expects a number from 0 to 86400000");
}

TEST(ControlLanguage, StatusBytesAndByteListsAreHex) {
  EXPECT_EQ(Parse("state 45").number, 0x45U);
  EXPECT_EQ(Parse("state 0x48").number, 0x48U);
  EXPECT_EQ(Parse("raw FC 04").bytes, FromHex("FC 04"));
  EXPECT_EQ(Parse("reply 13 6a").bytes, FromHex("13 6A"));
  EXPECT_EQ(ErrorOf("raw"), "raw expects two-digit hex bytes");
  EXPECT_EQ(ErrorOf("trailing F"), "trailing expects two-digit hex bytes");
  EXPECT_EQ(ErrorOf("reply 13 0x65"), "reply expects two-digit hex bytes");
  EXPECT_EQ(ErrorOf("state GG"), "state expects a hex status byte");
}

TEST(ControlLanguage, WordsAndChoices) {
  EXPECT_EQ(Parse("powerup").number, 0x40U);
  EXPECT_EQ(Parse("powerup acceptor").number, 0x41U);
  EXPECT_EQ(Parse("powerup stacker").number, 0x42U);
  EXPECT_EQ(ErrorOf("powerup hot"), "powerup expects plain, acceptor or stacker");
  EXPECT_TRUE(Parse("stream on").on);
  EXPECT_FALSE(Parse("stream off").on);
  EXPECT_EQ(Parse("wire 19200").number, 19200U);
  EXPECT_EQ(ErrorOf("wire 4800"), "wire expects 0, 9600 or 19200");
  EXPECT_EQ(ErrorOf("counters now"), "counters takes no argument");
  EXPECT_EQ(ErrorOf("dance"), "unknown command dance");
  EXPECT_EQ(ParseControlLine("").kind, ParsedLine::Kind::kNothing);
  EXPECT_EQ(ParseControlLine("# insert 0x65").kind, ParsedLine::Kind::kNothing);
}

TEST(ControlLanguage, SoakAndAnswer) {
  const ControlCommand soak = Parse("soak 0x2A corrupt=40 bills=10");
  EXPECT_TRUE(soak.on);
  EXPECT_EQ(soak.number, 42U);
  EXPECT_EQ(soak.rates.corrupt, 40U);
  EXPECT_EQ(soak.rates.bills, 10U);
  EXPECT_EQ(soak.rates.truncate, SoakRates{}.truncate);
  EXPECT_FALSE(Parse("soak off").on);
  EXPECT_EQ(ErrorOf("soak"), "soak expects off, or a seed and NAME=VALUE rates");
  EXPECT_EQ(ErrorOf("soak fast"), "soak expects off, or a seed and NAME=VALUE rates");
  EXPECT_EQ(ErrorOf("soak 1 fail=2000"), "soak fail expects a number from 0 to 1000");
  EXPECT_TRUE(Parse("answer accept").on);
  EXPECT_FALSE(Parse("answer refuse").on);
  EXPECT_EQ(ErrorOf("answer maybe"), "answer expects accept or refuse");
}

TEST(ControlLanguage, HostStatementsAndSlowReplies) {
  EXPECT_TRUE(Parse("host polling").on);
  EXPECT_FALSE(Parse("host stopped").on);
  EXPECT_EQ(ErrorOf("host"), "host expects polling or stopped");
  const ControlCommand slow = Parse("slow C0 100");
  EXPECT_EQ(slow.bytes, Bytes{0xC0});
  EXPECT_EQ(slow.number, 100U);
  EXPECT_EQ(ErrorOf("slow C0"), "slow expects a hex command byte and milliseconds");
  EXPECT_EQ(ErrorOf("slow 0xC0 5"), "slow expects a hex command byte and milliseconds");
  const ControlCommand soak = Parse("soak 1 short=30 slow=500 slow_ms=80 reject_hold=4");
  EXPECT_EQ(soak.rates.short_reply, 30U);
  EXPECT_EQ(soak.rates.slow, 500U);
  EXPECT_EQ(soak.rates.slow_ms, 80U);
  EXPECT_EQ(soak.rates.reject_hold, 4U);
}

class DeviceCommands : public ::testing::Test {
 protected:
  std::string Run(const std::string& line) {
    const auto reply = ApplyDeviceCommand(Parse(line), model_, faults_);
    return reply ? *reply : "(loop)";
  }
  DeviceModel model_;
  FaultInjector faults_{1};
};

TEST_F(DeviceCommands, AnswersAreOneLineOkOrErr) {
  EXPECT_EQ(Run("insert 0x65"), "ERR device not enabled");
  EXPECT_EQ(Run("state 42"), "ERR state must be 0x43 to 0x48");
  EXPECT_EQ(Run("reject 0x71"), "ERR no bill can be rejected now");
  EXPECT_EQ(Run("status"),
            "OK state=0x40 inhibit=1 enabled=0x00 validated=0x00 direction=0x00 optional=0x0000");
  model_.HandleRequest({0xC0, 0x00, 0x00});
  model_.HandleRequest({0xC3, 0x00});
  model_.HandleRequest({0xC5, 0x12, 0x34});
  EXPECT_EQ(Run("status"),
            "OK state=0x40 inhibit=0 enabled=0xFF validated=0x00 direction=0x00 optional=0x1234");
  EXPECT_EQ(Run("fail 0xA5"), "OK");
  EXPECT_EQ(Run("status").substr(0, 14), "OK state=0x49 ");
  EXPECT_EQ(Run("clear"), "OK");
  EXPECT_EQ(Run("insert 0x65"), "OK");
  EXPECT_EQ(Run("counters"),
            "OK escrowed=0 stacked=0 returned=0 rejected=0 failures=1 stack1=0 stack2=0 return=0 "
            "ack=0 requests=3 badcrc=0 unknown=0");
}

TEST_F(DeviceCommands, FaultCommandsQueueForTheNextReply) {
  EXPECT_EQ(Run("reply 13 65"), "OK");
  EXPECT_EQ(Run("swapcrc"), "OK");
  EXPECT_EQ(HexDump(faults_.Shape(FromHex("FC 05 40 2B 15")).bytes), "FC 06 13 65 BD 94");
  EXPECT_EQ(Run("corrupt"), "OK");
  EXPECT_EQ(Run("restart"), "OK");
  EXPECT_FALSE(faults_.HasPending()) << "restart drops pending faults";
}

TEST_F(DeviceCommands, LinkCommandsAreLeftToTheEventLoop) {
  for (const char* line : {"silent 100", "stream on", "delay 5", "wire 9600", "hangup", "hangup 500", "sleep 1", "quit",
                           "soak 1", "answer accept"}) {
    EXPECT_EQ(Run(line), "(loop)") << line;
  }
}

TEST(ControlChannel, LinesArriveInPiecesAndSleepHoldsThemBack) {
  ControlChannel channel(ControlChannel::Kind::kTcp, 5, "tcp5");
  const std::string first = "ins";
  const std::string rest = "ert 1\nsleep 10\nstatus\ncoun";
  channel.Append(first.data(), first.size());
  std::string line;
  EXPECT_FALSE(channel.NextLine(line));
  channel.Append(rest.data(), rest.size());
  ASSERT_TRUE(channel.NextLine(line));
  EXPECT_EQ(line, "insert 1");
  ASSERT_TRUE(channel.NextLine(line));
  EXPECT_EQ(line, "sleep 10");
  const ControlChannel::Clock::time_point t0{};
  channel.SleepUntil(t0 + std::chrono::milliseconds(10));
  EXPECT_FALSE(channel.NextLine(line));
  EXPECT_FALSE(channel.Wake(t0 + std::chrono::milliseconds(9)));
  EXPECT_TRUE(channel.Wake(t0 + std::chrono::milliseconds(10)));
  EXPECT_FALSE(channel.Wake(t0 + std::chrono::milliseconds(11))) << "a sleep wakes once";
  ASSERT_TRUE(channel.NextLine(line));
  EXPECT_EQ(line, "status");
  EXPECT_FALSE(channel.Finished());
  channel.EndOfInput();
  ASSERT_TRUE(channel.NextLine(line));
  EXPECT_EQ(line, "coun") << "an unterminated last line still counts";
  EXPECT_TRUE(channel.Finished());
}

TEST(EmulatorOptions, CommandLine) {
  const char* argv[] = {"rud003-emu", "--link", "/tmp/com7", "--control-tcp", "0", "--wire", "9600",
                        "--seed", "0x10", "--model", "RDUSD003", "--start-state", "enabled"};
  EmulatorOptions options;
  std::string error;
  ASSERT_TRUE(ParseOptions(13, argv, options, error)) << error;
  EXPECT_EQ(options.link_path, "/tmp/com7");
  EXPECT_EQ(options.control_port, std::uint16_t{0});
  EXPECT_EQ(options.wire_baud, 9600U);
  EXPECT_EQ(options.seed, 16U);
  EXPECT_EQ(options.identity.model_id, "RDUSD003");
  EXPECT_EQ(options.identity.boot_version, "V1.07");
  EXPECT_EQ(options.start, StartState::kEnabled);

  const char* bad_wire[] = {"rud003-emu", "--wire", "115200"};
  EXPECT_FALSE(ParseOptions(3, bad_wire, options, error));
  EXPECT_EQ(error, "bad value for --wire: 115200");
  const char* missing[] = {"rud003-emu", "--link"};
  EXPECT_FALSE(ParseOptions(2, missing, options, error));
  EXPECT_EQ(error, "--link needs a value");
  const char* soak[] = {"rud003-emu", "--soak", "9", "--soak-rates", "corrupt=30,bills=5"};
  ASSERT_TRUE(ParseOptions(5, soak, options, error)) << error;
  EXPECT_EQ(options.soak_seed, 9U);
  EXPECT_EQ(options.soak_rates.corrupt, 30U);
  EXPECT_EQ(options.soak_rates.bills, 5U);
  const char* bad_rates[] = {"rud003-emu", "--soak-rates", "corrupt=30,loud=1"};
  EXPECT_FALSE(ParseOptions(3, bad_rates, options, error));
  EXPECT_EQ(error, "bad value for --soak-rates: corrupt=30,loud=1");
  const char* unknown[] = {"rud003-emu", "--fast"};
  EXPECT_FALSE(ParseOptions(2, unknown, options, error));
  EXPECT_EQ(error, "unknown option --fast");
}

}  // namespace
}  // namespace notarel::emu
