#pragma once
// The machine's serial ports, as the device search walks them.
//
// ListSerialPorts has one implementation per operating system: on Windows the
// ports the registry lists under HKLM\HARDWARE\DEVICEMAP\SERIALCOMM
// (port_list_win32.cpp), on POSIX the serial device files that exist in the
// device folder, named as the port numbers that open them (port_list_posix.cpp).
// Both hand their raw names to the portable part below, which decides which
// names are ports and in what order they are tried.
#include <cstdint>
#include <string>
#include <vector>

namespace notarel {

struct SerialPortEntry {
  std::string name;     // as the system gives it, e.g. "COM3"
  std::int32_t number;  // the port number that opens it
};

using SerialPortList = std::vector<SerialPortEntry>;

// The number in a port name: the text from its fourth character on, which must
// be a whole decimal integer (an optional sign, then digits only) within 32 bits.
// False for anything else, such as "COMA1", "COM" or "COM3x".
bool PortNumberFromName(const std::string& name, std::int32_t& number);

// Builds the list from raw names in the order the system gave them: names
// without a port number are skipped, a name already in the list (letter case
// ignored) is skipped, and the rest are sorted by number, ascending. Names with
// the same number keep their order.
SerialPortList PortListFromNames(const std::vector<std::string>& names);

// Clears `list` and fills it with the machine's serial ports, ascending by
// number. A missing registry key or device folder gives an empty list, never an
// error. Takes no lock; may be called from any thread. Blocks only for the
// registry or file system look-ups.
void ListSerialPorts(SerialPortList& list);

}  // namespace notarel
