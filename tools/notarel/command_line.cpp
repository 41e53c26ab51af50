#include "command_line.h"

#include <cstdlib>
#include <sstream>

#include "report.h"
#include "serial_posix.h"

namespace notarel::cli {
namespace {

bool ParseStep(const std::string& word, Step& step, std::string& error) {
  const auto eq = word.find('=');
  const std::string name = word.substr(0, eq);
  step.member = FindMember(name);
  if (!step.member) {
    error = "unknown member '" + name + "'";
    return false;
  }
  if (eq == std::string::npos) {
    if (step.member->IsMethod() || step.member->get) return true;
    error = "'" + name + "' cannot be read";
    return false;
  }
  step.write = true;
  if (!step.member->set) {
    error = "'" + name + "' cannot be written";
    return false;
  }
  if (!ParseValue(step.member->type, word.substr(eq + 1), step.value)) {
    error = "bad value for '" + name + "': '" + word.substr(eq + 1) + "'";
    return false;
  }
  return true;
}

bool TakeArgument(const std::vector<std::string>& args, std::size_t& i, std::string& value,
                  std::string& error) {
  if (i + 1 >= args.size()) {
    error = args[i] + " needs a value";
    return false;
  }
  value = args[++i];
  return true;
}

bool ParsePort(const std::string& port, std::string& error) {
  if (port.rfind("COM", 0) != 0 || port.size() == 3) return true;  // a device path
  const std::string digits = port.substr(3);
  if (digits.find_first_not_of("0123456789") == std::string::npos && digits.size() <= 3) {
    return true;
  }
  error = "bad port '" + port + "'";
  return false;
}

void ApplyPort(TDriver& driver, const Options& options) {
  if (!options.port.empty()) {
    const bool comName = options.port.rfind("COM", 0) == 0 && options.port.size() > 3;
    if (comName) driver.SetPortNumber(std::atoi(options.port.c_str() + 3));
    else driver.SetPortPath(options.port);
  }
  if (options.baud != 0) driver.SetBaudRate(options.baud);
}

bool ParseNumberOption(const std::string& name, const std::string& text, std::int64_t& number,
                       std::string& error) {
  Value parsed;
  if (!ParseValue(ValueType::Int, text, parsed) || std::get<std::int64_t>(parsed) < 0) {
    error = "bad value for " + name + ": '" + text + "'";
    return false;
  }
  number = std::get<std::int64_t>(parsed);
  return true;
}

bool SetBaud(const std::string& value, Options& options, std::string& error) {
  std::int64_t number = 0;
  if (!ParseNumberOption("--baud", value, number, error)) return false;
  options.baud = static_cast<int>(number);
  return true;
}

bool SetPoll(const std::string& value, Options& options, std::string& error) {
  std::int64_t number = 0;
  if (!ParseNumberOption("--poll", value, number, error)) return false;
  options.pollSeconds = static_cast<double>(number);
  return true;
}

bool SetAccept(const std::string& value, Options& options, std::string& error) {
  if (ParseAcceptPolicy(value, options.accept)) return true;
  error = "bad value for --accept: '" + value + "' (all, none, upto:SUM, refuse:VALUE,... or ask)";
  return false;
}

// Every option the tool takes, with its help line: the parser and the usage
// text both read this table, so no option can be taken without being described.
const std::vector<OptionSpec> kOptions = {
    {"--port", "COMn|PATH", "the acceptor's serial port: COM1 to COM96 or a device path",
     [](const std::string& v, Options& o, std::string& e) { o.port = v; return ParsePort(v, e); }},
    {"--baud", "N", "line speed, 9600 or 19200 (default: the settings file's)", SetBaud},
    {"--settings", "PATH", "settings file (default: notarel.xml beside the program)",
     [](const std::string& v, Options& o, std::string&) { o.settings = v; return true; }},
    {"--dev-dir", "PATH", "the folder whose ttyS, ttyUSB and ttyACM files are COM1 to COM96 (/dev)",
     [](const std::string& v, Options& o, std::string&) { o.deviceFolder = v; return true; }},
    {"--json", nullptr, "print one JSON object per line",
     [](const std::string&, Options& o, std::string&) { o.json = true; return true; }},
    {"--poll", "SECONDS",
     "after the words, poll and print each event for SECONDS (0: until Ctrl-C or the end of "
     "standard input), then StopPolling",
     SetPoll},
    {"--accept", "all|none|upto:SUM|refuse:VALUE,...|ask",
     "how polling answers each bill: take all (default), none, while the sum taken stays within "
     "SUM, all but the values listed, or ask on standard input",
     SetAccept},
    {"--help", nullptr, "print this text and exit",
     [](const std::string&, Options& o, std::string&) { o.help = true; return true; }},
    {"-h", nullptr, "the same as --help",
     [](const std::string&, Options& o, std::string&) { o.help = true; return true; }},
};

const OptionSpec* FindOption(const std::string& name) {
  for (const OptionSpec& option : kOptions) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

// One option at args[i], with its value if it takes one.
bool ParseOption(const std::vector<std::string>& args, std::size_t& i, Options& options,
                 std::string& error) {
  const OptionSpec* option = FindOption(args[i]);
  if (!option) {
    error = "unknown option '" + args[i] + "'";
    return false;
  }
  std::string value;
  if (option->argument && !TakeArgument(args, i, value, error)) return false;
  return option->apply(value, options, error);
}

// The member groups of the usage text, each from the listed place of its first
// member to the next group's; in the order the member table lists them.
const MemberGroup kMemberGroups[] = {
    {1, "connection and last result"},
    {9, "port and bill commands"},
    {19, "device settings and identity"},
    {32, "status (filled by ReadStatus)"},
    {39, "values the settings and identity commands write and read"},
    {53, "settings file, countries and bills"},
    {71, "polling"},
};

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, Options& options, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i].rfind("-", 0) == 0) {
      if (!ParseOption(args, i, options, error)) return false;
      continue;
    }
    Step step;
    if (!ParseStep(args[i], step, error)) return false;
    options.steps.push_back(step);
  }
  if (options.steps.empty() && !options.help && options.pollSeconds < 0) {
    error = "no member named";
    return false;
  }
  return true;
}

const std::vector<OptionSpec>& OptionTable() { return kOptions; }

namespace {

// A help text broken into lines of at most `width` characters after `indent`.
std::string Wrapped(const std::string& text, const std::string& indent, std::size_t width) {
  std::istringstream words(text);
  std::string out, line;
  for (std::string word; words >> word;) {
    if (!line.empty() && indent.size() + line.size() + 1 + word.size() > width) {
      out += indent + line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  return out + indent + line + "\n";
}

}  // namespace

std::vector<std::pair<std::string, std::vector<std::string>>> GroupedMembers() {
  std::vector<std::pair<std::string, std::vector<std::string>>> groups;
  for (const Member& m : AllMembers()) {
    const MemberGroup* group = nullptr;
    for (const MemberGroup& g : kMemberGroups) {
      if (m.listed >= g.firstListed) group = &g;
    }
    const std::string title = group ? group->title : "other members";
    if (groups.empty() || groups.back().first != title) groups.push_back({title, {}});
    groups.back().second.push_back(m.name);
  }
  return groups;
}

std::string Usage() {
  std::ostringstream text;
  text << "usage: notarel [OPTION...] WORD...\n"
          "Runs each WORD in order on one driver object: a member name (a method call or a\n"
          "property read) or Name=Value (a property write). Exit status: 0 when every method\n"
          "succeeded, 1 when one returned false, 2 for a usage error.\n"
          "options:\n";
  for (const OptionSpec& option : kOptions) {
    std::string flag = option.name;
    if (option.argument) flag += std::string(" ") + option.argument;
    text << "  " << flag << "\n" << Wrapped(option.help, "      ", 80);
  }
  text << "members:\n";
  for (const auto& [title, names] : GroupedMembers()) {
    text << "  " << title << ":";
    for (const std::string& name : names) text << ' ' << name;
    text << '\n';
  }
  return text.str();
}

int Run(const Options& options, std::ostream& out, std::istream& in) {
  // Like the control: the settings file is loaded as the driver is created, and
  // the port given on the command line then takes precedence over it.
  if (!options.deviceFolder.empty()) serial::SetDeviceFolder(options.deviceFolder);
  TDriver driver;
  if (!options.settings.empty()) driver.SetFileName(options.settings);
  driver.LoadParams();
  ApplyPort(driver, options);
  Report report(out, options.json);
  int status = 0;
  for (const Step& step : options.steps) {
    if (step.write) {
      step.member->set(driver, step.value);
    } else if (step.member->IsMethod()) {
      const bool ok = step.member->call(driver);
      if (!ok) status = 1;
      report.Method(*step.member, ok, driver);
    } else {
      report.Property(*step.member, driver);
    }
  }
  if (options.pollSeconds >= 0 &&
      !RunPolling(driver, options.accept, options.pollSeconds, report, in)) {
    status = 1;
  }
  return status;
}

}  // namespace notarel::cli
