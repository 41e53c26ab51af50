#pragma once
// Settings of the POSIX serial backend that have no Windows counterpart.
//
// Port numbers map onto device files the way Wine maps COM ports by default:
// COM1 to COM32 are ttyS0 to ttyS31, COM33 to COM64 ttyUSB0 to ttyUSB31 and
// COM65 to COM96 ttyACM0 to ttyACM31, all in one device folder. The folder is
// "/dev" unless set otherwise; tests and tools point it at a folder of their
// own whose links stand in for serial devices.
#include <string>

namespace notarel::serial {

// The highest port number that maps onto a device file.
constexpr int kLastMappedPort = 96;

// The folder the port names are taken from, used by PortName and the port list
// from the next call on. Safe to call from any thread; a port already open
// stays open on the device it was opened on.
void SetDeviceFolder(std::string folder);
std::string DeviceFolder();

}  // namespace notarel::serial
