#include "page_find_device_logic.h"

bool TFindDeviceLogic::Search(const TClear& clear, const TAddLine& addLine) {
  clear();
  const bool found = FDriver.Call(&IWBA003_4::FindDevice, L"FindDevice");
  if (found)
    addLine(L"Устройство найдено. Порт: COM" + std::to_wstring(FDriver.GetLong(kDispPortNumber)));
  else
    addLine(L"Устройство не найдено.");
  return found;
}
