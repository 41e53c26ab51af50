#pragma once
// What the device search page does with the control: one search, one line.
#include <functional>
#include <string>

#include "notarel2.h"

class TFindDeviceLogic {
 public:
  using TClear = std::function<void()>;
  using TAddLine = std::function<void(const std::wstring&)>;

  explicit TFindDeviceLogic(TNotarel2& driver) : FDriver(driver) {}

  // Clears the memo, runs FindDevice and adds the line that tells its
  // outcome. Returns the success flag.
  bool Search(const TClear& clear, const TAddLine& addLine);

 private:
  TNotarel2& FDriver;
};
