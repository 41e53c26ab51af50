// notarel: the driver's members from the command line.
//
//   notarel [--port COMn|PATH] [--baud N] [--settings PATH] [--dev-dir PATH] [--json]
//           [--accept all|none|upto:SUM|refuse:VALUE,...|ask] [--poll SECONDS] WORD...
//
// Each WORD is a member name (a method call or a property read) or Name=Value
// (a property write), run in order on one driver object. Every word is checked
// before anything is sent. Exit status: 0 when every method succeeded, 1 when
// one returned false, 2 for a usage error.
#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"
#include "report.h"

int main(int argc, char** argv) {
  using namespace notarel::cli;
  Options options;
  std::string error;
  if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::cerr << "notarel: " << error << "\n" << Usage();
    return 2;
  }
  if (options.help) {
    std::cout << Usage();
    return 0;
  }
  return Run(options, std::cout, std::cin);
}
