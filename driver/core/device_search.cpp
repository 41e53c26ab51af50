// The device search: every serial port of the machine, in ascending number, is
// asked for the model identification at the current speed, and the first that
// answers becomes the port.
#include <exception>
#include <string>

#include "driver.h"
#include "port_list.h"

namespace notarel {

bool TDriver::FindDevice() {
  ClosePort();
  const std::int32_t previousNumber = PortNumber();
  // The search goes by port number, and an explicit device path would take
  // precedence over the number at every opening; it is cleared for the search
  // and kept cleared only when a device was found by number.
  const std::string previousPath = PortPath();
  SetPortPath("");
  bool found = false;
  try {
    SerialPortList ports;
    ListSerialPorts(ports);
    for (const SerialPortEntry& port : ports) {
      SetPortNumber(port.number);
      found = ReadModelID();
      // Closing also clears the failure of a port that did not answer.
      ClosePort();
      if (found) break;
    }
  } catch (const std::exception& error) {
    found = HandleException(error);
  }
  if (!found) {
    SetPortNumber(previousNumber);
    SetPortPath(previousPath);
  }
  return found;
}

}  // namespace notarel
