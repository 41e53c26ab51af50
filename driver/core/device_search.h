#pragma once
// The device search over the machine's serial ports.
#include <functional>

namespace notarel {

class TComm;

// Asks every serial port of the machine, in ascending number, through `probe`
// (the model identification request); the first that answers becomes the
// port's number. The port is closed afterwards; an error raised by the search
// becomes code -8 and the result false.
bool SearchDevice(TComm& port, const std::function<bool()>& probe);

}  // namespace notarel
