// The command table as the contract between the driver and the device
// emulator: for every row, the member it names sends that command byte, the
// emulator answers it in the row's way, and the driver takes exactly the
// row's minimum reply and nothing shorter.
#include <gtest/gtest.h>

#include <string>

#include "device_test.h"
#include "device_vocabulary.h"
#include "member_table.h"

namespace notarel::cli {
namespace {

using CommandTable = DeviceTest;

// The command byte of a request as Output shows it: "FC 05 40 2B 15" -> 0x40.
int SentCommand(const std::string& output) {
  return output.size() >= 8 ? std::stoi(output.substr(6, 2), nullptr, 16) : -1;
}

// A reply body of n bytes that passes the row's reply check: the echo, or ACK.
std::string ReplyOfLength(const CommandRow& row, std::size_t n) {
  const std::uint8_t first =
      row.reply == ReplyKind::kAcknowledge ? std::uint8_t{kAnswerAck} : std::uint8_t{row.code};
  std::string body = HexDump(&first, 1);
  for (std::size_t i = 1; i < n; ++i) body += " 00";
  return "reply " + body;
}

TEST_F(CommandTable, EveryMemberSendsItsRowsByteAndTheEmulatorAnswersAsTheRowSays) {
  for (const CommandRow& row : kCommandTable) {
    const Member* member = FindMember(row.member);
    ASSERT_TRUE(member && member->IsMethod()) << row.member;
    EXPECT_TRUE(member->call(driver())) << row.member << ": " << driver().ResultCode();
    EXPECT_EQ(SentCommand(driver().Output()), row.code) << row.member;
    const Bytes reply = driver().ReplyData();
    switch (row.reply) {
      case ReplyKind::kNone:
        EXPECT_EQ(driver().Input(), "") << row.member;
        break;
      case ReplyKind::kAcknowledge:
        EXPECT_EQ(driver().Input(), "FC 05 50 AA 05") << row.member;
        break;
      case ReplyKind::kEcho:
        ASSERT_FALSE(reply.empty()) << row.member;
        EXPECT_EQ(reply[0], row.code) << row.member;
        EXPECT_GE(reply.size(), row.minimumReply) << row.member;
        break;
      case ReplyKind::kStatus:
        EXPECT_GE(reply.size(), row.minimumReply) << row.member;
        break;
    }
  }
}

TEST_F(CommandTable, TheDriverTakesTheRowsMinimumReplyAndRefusesOneByteLess) {
  for (const CommandRow& row : kCommandTable) {
    if (row.reply != ReplyKind::kEcho && row.reply != ReplyKind::kAcknowledge) continue;
    const Member* member = FindMember(row.member);
    ASSERT_TRUE(member) << row.member;
    Emu(ReplyOfLength(row, row.minimumReply));
    EXPECT_TRUE(member->call(driver())) << row.member << ": " << driver().ResultCode();
    if (row.minimumReply < 2) continue;  // one byte less has no echo or answer left
    Emu(ReplyOfLength(row, row.minimumReply - 1));
    EXPECT_FALSE(member->call(driver())) << row.member;
    EXPECT_EQ(driver().ResultCode(), -6) << row.member;
  }
}

}  // namespace
}  // namespace notarel::cli
