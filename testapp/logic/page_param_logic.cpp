#include "page_param_logic.h"

long TParamLogic::Property(TDeviceParam param) {
  switch (param) {
    case TDeviceParam::InhibitStatus:
      return FDriver.GetBool(kDispInhibitStatus) ? 1 : 0;
    case TDeviceParam::Direction:
      return FDriver.GetLong(kDispDirectionValue);
    case TDeviceParam::OptionalSettings:
      break;
  }
  return FDriver.GetLong(kDispOptionalSettings);
}

void TParamLogic::SetProperty(TDeviceParam param, long value) {
  switch (param) {
    case TDeviceParam::InhibitStatus:
      FDriver.SetBool(kDispInhibitStatus, value != 0);
      return;
    case TDeviceParam::Direction:
      FDriver.SetLong(kDispDirectionValue, value);
      return;
    case TDeviceParam::OptionalSettings:
      break;
  }
  FDriver.SetLong(kDispOptionalSettings, value);
}

long TParamLogic::Write(TDeviceParam param, long pageValue) {
  SetProperty(param, pageValue);
  bool ok = false;
  switch (param) {
    case TDeviceParam::InhibitStatus:
      ok = FDriver.Call(&IWBA003_4::WriteInhibitStatus, L"WriteInhibitStatus");
      break;
    case TDeviceParam::Direction:
      ok = FDriver.Call(&IWBA003_4::WriteDirection, L"WriteDirection");
      break;
    case TDeviceParam::OptionalSettings:
      ok = FDriver.Call(&IWBA003_4::WriteOptionalSettings, L"WriteOptionalSettings");
      break;
  }
  return ok ? Property(param) : pageValue;
}

long TParamLogic::Read(TDeviceParam param, long pageValue) {
  bool ok = false;
  switch (param) {
    case TDeviceParam::InhibitStatus:
      ok = FDriver.Call(&IWBA003_4::ReadInhibitStatus, L"ReadInhibitStatus");
      break;
    case TDeviceParam::Direction:
      ok = FDriver.Call(&IWBA003_4::ReadDirection, L"ReadDirection");
      break;
    case TDeviceParam::OptionalSettings:
      ok = FDriver.Call(&IWBA003_4::ReadOptionalSettings, L"ReadOptionalSettings");
      break;
  }
  return ok ? Property(param) : pageValue;
}
