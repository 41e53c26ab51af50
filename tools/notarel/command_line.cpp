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

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, Options& options, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string value;
    if (arg == "--json") {
      options.json = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--port") {
      if (!TakeArgument(args, i, options.port, error) || !ParsePort(options.port, error)) return false;
    } else if (arg == "--settings") {
      if (!TakeArgument(args, i, options.settings, error)) return false;
    } else if (arg == "--dev-dir") {
      if (!TakeArgument(args, i, options.deviceFolder, error)) return false;
    } else if (arg == "--baud") {
      if (!TakeArgument(args, i, value, error)) return false;
      Value parsed;
      if (!ParseValue(ValueType::Int, value, parsed)) {
        error = "bad speed '" + value + "'";
        return false;
      }
      options.baud = static_cast<int>(std::get<std::int64_t>(parsed));
    } else if (arg.rfind("--", 0) == 0) {
      error = "unknown option '" + arg + "'";
      return false;
    } else {
      Step step;
      if (!ParseStep(arg, step, error)) return false;
      options.steps.push_back(step);
    }
  }
  if (options.steps.empty() && !options.help) {
    error = "no member named";
    return false;
  }
  return true;
}

std::string Usage() {
  std::ostringstream text;
  text << "usage: notarel [--port COMn|PATH] [--baud N] [--settings PATH] [--dev-dir PATH] [--json] "
          "WORD...\n"
          "  WORD is a member name (method call or property read) or Name=Value (property write).\n"
          "  --dev-dir: the folder whose ttyS, ttyUSB and ttyACM files are COM1 to COM96 (/dev).\n"
          "members:";
  for (const Member& m : AllMembers()) text << ' ' << m.name;
  text << '\n';
  return text.str();
}

int Run(const Options& options, std::ostream& out) {
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
  return status;
}

}  // namespace notarel::cli
