// The device search: every serial port of the machine, in ascending number, is
// asked for the model identification at the current speed, and the first that
// answers becomes the port.
#include "device_search.h"

#include <exception>
#include <string>

#include "comm.h"
#include "port_list.h"

namespace notarel {

bool SearchDevice(TComm& port, const std::function<bool()>& probe) {
  port.ClosePort();
  const std::int32_t previousNumber = port.PortNumber();
  // The search goes by port number, and an explicit device path would take
  // precedence over the number at every opening; it is cleared for the search
  // and kept cleared only when a device was found by number.
  const std::string previousPath = port.PortPath();
  port.SetPortPath("");
  bool found = false;
  try {
    SerialPortList ports;
    ListSerialPorts(ports);
    for (const SerialPortEntry& entry : ports) {
      port.SetPortNumber(entry.number);
      found = probe();
      // Closing also clears the failure of a port that did not answer.
      port.ClosePort();
      if (found) break;
    }
  } catch (const std::exception& error) {
    found = port.HandleException(error);
  }
  if (!found) {
    port.SetPortNumber(previousNumber);
    port.SetPortPath(previousPath);
  }
  return found;
}

}  // namespace notarel
