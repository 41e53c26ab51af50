// The command-line tool as scripts use it: words checked before anything is
// sent, members run in order, JSON objects one per line.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <sstream>
#include <thread>

#include "command_line.h"
#include "device_test.h"
#include "report.h"

namespace notarel::cli {
namespace {

int Parse(const std::vector<std::string>& args, Options& options, std::string& error) {
  return ParseCommandLine(args, options, error) ? 0 : 2;
}

TEST(CommandLine, UsageErrorsAreFoundBeforeAnythingRuns) {
  const std::vector<std::vector<std::string>> bad = {
      {"ReadStatus", "Bogus"},          // unknown member
      {"Denomination1=maybe"},          // not a boolean
      {"PortNumber=12abc"},             // not an integer
      {"BaudRate=99999999999"},         // beyond 32 bits
      {"StatusCode=3"},                 // read-only
      {"--port"},                       // option without its value
      {"--port", "COMx", "ReadStatus"}, // bad COM name
      {"--frobnicate", "ReadStatus"},   // unknown option
      {},                               // nothing to do
  };
  for (const auto& args : bad) {
    Options options;
    std::string error;
    EXPECT_EQ(Parse(args, options, error), 2) << (args.empty() ? "(none)" : args[0]);
    EXPECT_FALSE(error.empty());
  }
}

TEST(CommandLine, ValuesParseAsTheInterfaceTypesThem) {
  Value v;
  ASSERT_TRUE(ParseValue(ValueType::Int, "0x1F", v));
  EXPECT_EQ(std::get<std::int64_t>(v), 31);
  ASSERT_TRUE(ParseValue(ValueType::Int, "010", v));
  EXPECT_EQ(std::get<std::int64_t>(v), 10);  // decimal, not octal
  ASSERT_TRUE(ParseValue(ValueType::Int, "-2147483648", v));
  EXPECT_FALSE(ParseValue(ValueType::Int, "", v));
  ASSERT_TRUE(ParseValue(ValueType::Bool, "-1", v));
  EXPECT_TRUE(std::get<bool>(v));
  ASSERT_TRUE(ParseValue(ValueType::Text, "Рубль", v));
  EXPECT_EQ(std::get<std::string>(v), Utf8ToCp1251("Рубль"));
}

TEST(CommandLine, PropertyWritesConvertLikeTheControl) {
  Options options;
  std::string error;
  ASSERT_EQ(Parse({"--port", "/nonexistent", "--json", "DirectionValue=511", "DirectionValue",
                   "OptionalSettings=74565", "OptionalSettings", "PortNumber=33", "PortNumber",
                   "PortNumber=32", "PortNumber"},
                  options, error),
            0)
      << error;
  std::ostringstream out;
  EXPECT_EQ(cli::Run(options, out, std::cin), 0);
  EXPECT_EQ(out.str(),
            "{\"DirectionValue\": 255}\n{\"OptionalSettings\": 9029}\n"
            "{\"PortNumber\": 1}\n{\"PortNumber\": 32}\n");
}

TEST(CommandLine, SettingsAreLoadedAsTheDriverIsCreated) {
  Options options;
  std::string error;
  ASSERT_EQ(Parse({"--settings", "/nonexistent/settings.xml", "--port", "/nonexistent", "--json",
                   "ResultCode", "CountryIndex=0", "CountryByIndex", "BillCode=102", "GetBillSumm",
                   "BillSumm"},
                  options, error),
            0)
      << error;
  std::ostringstream out;
  EXPECT_EQ(cli::Run(options, out, std::cin), 0);
  const std::string text = out.str();
  EXPECT_EQ(text.rfind("{\"ResultCode\": -12}\n", 0), 0u) << text;
  EXPECT_NE(text.find("\"CurrentCountryCode\": 643}"), std::string::npos) << text;
  EXPECT_NE(text.find("{\"GetBillSumm\": true"), std::string::npos) << text;
  EXPECT_NE(text.find("{\"BillSumm\": 500}"), std::string::npos) << text;
}

TEST(CommandLine, AcceptPoliciesAndPollingOptions) {
  AcceptPolicy policy;
  ASSERT_TRUE(ParseAcceptPolicy("upto:1500", policy));
  EXPECT_EQ(policy.kind, AcceptPolicy::Kind::UpTo);
  EXPECT_EQ(policy.limit, 1500);
  EXPECT_TRUE(ParseAcceptPolicy("none", policy));
  EXPECT_EQ(policy.kind, AcceptPolicy::Kind::None);
  for (const char* bad : {"upto:", "upto:-5", "some", "ALL"}) {
    EXPECT_FALSE(ParseAcceptPolicy(bad, policy)) << bad;
  }
  Options options;
  std::string error;
  EXPECT_EQ(Parse({"--poll", "-1"}, options, error), 2);
  EXPECT_EQ(Parse({"--accept", "maybe", "--poll", "1"}, options, error), 2);
  Options wordless;
  EXPECT_EQ(Parse({"--poll", "0"}, wordless, error), 0);  // polling needs no word
}

TEST(CommandLine, RefusePolicyTakesAListOfBillValues) {
  AcceptPolicy policy;
  ASSERT_TRUE(ParseAcceptPolicy("refuse:5000", policy));
  EXPECT_EQ(policy.kind, AcceptPolicy::Kind::Refuse);
  EXPECT_EQ(policy.refused, (std::vector<std::int64_t>{5000}));
  ASSERT_TRUE(ParseAcceptPolicy("refuse:1000,0x1388", policy));
  EXPECT_EQ(policy.refused, (std::vector<std::int64_t>{1000, 5000}));
  for (const char* bad : {"refuse:", "refuse:1000,", "refuse:,1000", "refuse:five", "refuse:-1"}) {
    EXPECT_FALSE(ParseAcceptPolicy(bad, policy)) << bad;
  }
}

// The usage text comes from the parser's own option table; each option there
// must be described, taken by the parser with its value, and shown by --help,
// and every option --help shows must be one the parser takes.
TEST(CommandLine, HelpShowsEveryOptionTheParserTakes) {
  const std::string usage = Usage();
  for (const OptionSpec& option : OptionTable()) {
    std::string shown = std::string("  ") + option.name;
    if (option.argument) shown += std::string(" ") + option.argument;
    EXPECT_NE(usage.find(shown + "\n      "), std::string::npos) << option.name;
    EXPECT_GT(std::string(option.help).size(), 10u) << option.name;
  }
  std::istringstream lines(usage);
  int shownOptions = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  -", 0) != 0) continue;
    const std::string word = line.substr(2, line.find(' ', 2) - 2);
    ++shownOptions;
    std::vector<std::string> args{word};
    if (word == "--port") args.push_back("/dev/null");
    else if (word == "--accept") args.push_back("all");
    else if (word == "--baud" || word == "--poll") args.push_back("1");
    else if (word == "--settings" || word == "--dev-dir") args.push_back("/tmp");
    args.push_back("ResultCode");
    Options options;
    std::string error;
    EXPECT_TRUE(ParseCommandLine(args, options, error)) << word << ": " << error;
  }
  EXPECT_EQ(shownOptions, static_cast<int>(OptionTable().size()));
}

TEST(CommandLine, HelpListsEveryMemberOnceInItsGroupLine) {
  std::map<std::string, int> seen;
  for (const auto& [title, names] : GroupedMembers()) {
    std::string line = "  " + title + ":";
    for (const std::string& name : names) {
      line += " " + name;
      ++seen[name];
    }
    EXPECT_NE(Usage().find(line + "\n"), std::string::npos) << title;
  }
  EXPECT_GE(GroupedMembers().size(), 5u);
  for (const Member& m : AllMembers()) EXPECT_EQ(seen[m.name], 1) << m.name;
  EXPECT_EQ(seen.size(), AllMembers().size());
  EXPECT_EQ(GroupedMembers().back().second.front(), "StartPolling");
}

TEST(CommandLine, JsonTextsAreEscapedUtf8) {
  EXPECT_EQ(JsonString("a\"b\\c\x01"), "\"a\\\"b\\\\c\\u0001\"");
  EXPECT_EQ(JsonValue(Value{Utf8ToCp1251("Нет связи")}), "\"Нет связи\"");
  EXPECT_EQ(JsonValue(Value{std::int64_t{-6}}), "-6");
}

using CommandLineOnDevice = DeviceTest;

TEST_F(CommandLineOnDevice, MethodsReportFlagResultAndFilledFields) {
  std::ostringstream out;
  Options options;
  std::string error;
  const std::string path = peer_->PortArgument();
  driver_.reset();  // the tool opens the port itself
  ASSERT_EQ(Parse({"--port", path, "--json", "ReadStatus", "Reset", "ReadModelID"}, options, error), 0);
  EXPECT_EQ(cli::Run(options, out, std::cin), 0);
  std::istringstream lines(out.str());
  std::string status, reset, model;
  std::getline(lines, status);
  std::getline(lines, reset);
  std::getline(lines, model);
  EXPECT_EQ(status.rfind("{\"ReadStatus\": true, \"ResultCode\": 0, \"ResultDescription\": \"Ошибок нет\", "
                         "\"Output\": \"FC 05 11 27 56\", \"Input\": \"FC 05 40 ",
                         0),
            0u)
      << status;
  EXPECT_NE(status.find("\"StatusCode\": 64, \"StatusDescription\": \"POWER UP\""), std::string::npos);
  EXPECT_EQ(reset.rfind("{\"Reset\": true", 0), 0u) << reset;
  EXPECT_NE(model.find("\"ModelID\": \"RDRUB003\", \"DeviceCountryCode\": \"RUB\"}"), std::string::npos);

  Emu("reply 4B");
  Options failing;
  ASSERT_EQ(Parse({"--port", path, "Reset", "ResultCode"}, failing, error), 0);
  std::ostringstream plain;
  EXPECT_EQ(cli::Run(failing, plain, std::cin), 1);
  EXPECT_NE(plain.str().find("Reset: false\n  ResultCode: 75\n  ResultDescription: Неизвестная команда\n"),
            std::string::npos)
      << plain.str();
}

TEST_F(CommandLineOnDevice, PollingModeAnswersBillsByPolicyAndPrintsEvents) {
  const std::string path = peer_->PortArgument();
  driver_.reset();
  Options options;
  std::string error;
  ASSERT_EQ(Parse({"--port", path, "--json", "--accept", "upto:600", "--poll", "2",
                   "BillEnabled=true", "PollingInterval=5", "CountryIndex=0", "CountryByIndex"},
                  options, error),
            0)
      << error;
  std::thread feeder([&] {
    // Two bills in turn once the loop has enabled the device: 500 fits, 1000 does not.
    for (const char* bill : {"insert 102", "insert 103"}) {
      for (int i = 0; i < 300 && peer_->Command("status").find("state=0x11") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      peer_->Command(bill);
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
  });
  std::ostringstream out;
  std::istringstream in;
  const int status = cli::Run(options, out, in);
  feeder.join();
  EXPECT_EQ(status, 0);
  const std::string text = out.str();
  EXPECT_NE(text.find("{\"event\": \"Bill\", \"Summ\": 500, \"Accept\": true}\n{\"event\": \"Stacked\"}\n"),
            std::string::npos) << text;
  EXPECT_NE(text.find("{\"event\": \"Bill\", \"Summ\": 1000, \"Accept\": false}"), std::string::npos) << text;
  EXPECT_NE(text.find("{\"StopPolling\": true, \"ResultCode\": 0"), std::string::npos) << text;
  const std::string counters = peer_->Command("counters");
  EXPECT_NE(counters.find("stacked=1"), std::string::npos) << counters;
  EXPECT_NE(counters.find("returned=1"), std::string::npos) << counters;
}

}  // namespace
}  // namespace notarel::cli
