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

// One option at args[i], with its value if it takes one.
bool ParseOption(const std::vector<std::string>& args, std::size_t& i, Options& options,
                 std::string& error) {
  const std::string& arg = args[i];
  std::string value;
  std::int64_t number = 0;
  if (arg == "--json") options.json = true;
  else if (arg == "--help" || arg == "-h") options.help = true;
  else if (arg == "--port") return TakeArgument(args, i, options.port, error) && ParsePort(options.port, error);
  else if (arg == "--settings") return TakeArgument(args, i, options.settings, error);
  else if (arg == "--dev-dir") return TakeArgument(args, i, options.deviceFolder, error);
  else if (arg == "--baud") {
    if (!TakeArgument(args, i, value, error) || !ParseNumberOption(arg, value, number, error)) return false;
    options.baud = static_cast<int>(number);
  } else if (arg == "--poll") {
    if (!TakeArgument(args, i, value, error) || !ParseNumberOption(arg, value, number, error)) return false;
    options.pollSeconds = static_cast<double>(number);
  } else if (arg == "--accept") {
    if (!TakeArgument(args, i, value, error)) return false;
    if (!ParseAcceptPolicy(value, options.accept)) {
      error = "bad value for --accept: '" + value + "' (all, none, upto:SUM or ask)";
      return false;
    }
  } else {
    error = "unknown option '" + arg + "'";
    return false;
  }
  return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, Options& options, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i].rfind("--", 0) == 0 || args[i] == "-h") {
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

std::string Usage() {
  std::ostringstream text;
  text << "usage: notarel [--port COMn|PATH] [--baud N] [--settings PATH] [--dev-dir PATH] [--json]\n"
          "               [--accept all|none|upto:SUM|ask] [--poll SECONDS] WORD...\n"
          "  WORD is a member name (method call or property read) or Name=Value (property write).\n"
          "  --dev-dir: the folder whose ttyS, ttyUSB and ttyACM files are COM1 to COM96 (/dev).\n"
          "  --poll: after the words, poll and print events for SECONDS (0: until Ctrl-C or end of\n"
          "  input), then StopPolling; --accept answers each bill (default all).\n"
          "members:";
  for (const Member& m : AllMembers()) text << ' ' << m.name;
  text << '\n';
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
