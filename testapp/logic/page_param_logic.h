#pragma once
// What the parameter page does with the control: each of its three values
// (inhibit flag, direction, optional settings) is written through its
// property and write command, or read through its read command.
#include "notarel2.h"

enum class TDeviceParam { InhibitStatus, Direction, OptionalSettings };

class TParamLogic {
 public:
  explicit TParamLogic(TNotarel2& driver) : FDriver(driver) {}

  // The page's value (the inhibit flag as 0 or 1) into the property, then the
  // write command; on success the property as the driver holds it afterwards,
  // otherwise `pageValue` unchanged.
  long Write(TDeviceParam param, long pageValue);
  // The read command; on success the property, otherwise `pageValue`.
  long Read(TDeviceParam param, long pageValue);

 private:
  long Property(TDeviceParam param);
  void SetProperty(TDeviceParam param, long value);

  TNotarel2& FDriver;
};
