// The serial ports of a POSIX machine: every port number whose device file
// exists in the device folder and is a character device, named "COMn" as Wine
// names it by default. Symbolic links are followed, so a dangling link is no
// port, while a link to any character device is one (and fails at the opening
// or the configuring if it is no serial line).
#include <sys/stat.h>

#include <string>
#include <vector>

#include "port_list.h"
#include "serial_backend.h"
#include "serial_posix.h"

namespace notarel {
namespace {

bool IsCharacterDevice(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

}  // namespace

void ListSerialPorts(SerialPortList& list) {
  list.clear();
  std::vector<std::string> names;
  for (int number = 1; number <= serial::kLastMappedPort; ++number) {
    if (IsCharacterDevice(serial::PortName(number))) names.push_back("COM" + std::to_string(number));
  }
  list = PortListFromNames(names);
}

}  // namespace notarel
