#pragma once
// Parsing and running the tool's command line.
#include <istream>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "member_table.h"
#include "poll_mode.h"

namespace notarel::cli {

// One word: a method call, a property read, or a property write with its value.
struct Step {
  const Member* member = nullptr;
  bool write = false;
  Value value;
};

struct Options {
  std::string port;  // "COMn" or a device path; empty keeps the driver's own
  int baud = 0;      // 0 keeps the driver's own
  std::string settings;  // settings file; empty: the one beside the program
  std::string deviceFolder;  // where port numbers find their device files; empty: /dev
  bool json = false;
  bool help = false;
  double pollSeconds = -1;  // --poll: run the loop this long after the words (0: until stopped)
  AcceptPolicy accept;      // --accept: how bills are answered while polling
  std::vector<Step> steps;
};

// One option of the command line; `argument` names its value (null: none).
struct OptionSpec {
  const char* name;
  const char* argument;
  const char* help;
  bool (*apply)(const std::string& value, Options& options, std::string& error);
};

// A group of members in the usage text, from the listed place of its first member.
struct MemberGroup {
  int firstListed;
  const char* title;
};

// Checks every word; on failure says why in `error`.
bool ParseCommandLine(const std::vector<std::string>& args, Options& options, std::string& error);
std::string Usage();
// The options the parser takes, and the members by usage group, as Usage() prints them.
const std::vector<OptionSpec>& OptionTable();
std::vector<std::pair<std::string, std::vector<std::string>>> GroupedMembers();
// Runs the steps on one driver; returns the exit status (0 or 1).
// In polling mode the end of `in` (or Ctrl-C) ends an unlimited run, and the
// ask policy reads its answers from it.
int Run(const Options& options, std::ostream& out, std::istream& in);

}  // namespace notarel::cli
