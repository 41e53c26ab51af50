#include "find_dialog.h"

namespace notarel {

bool HasInteractiveWindowStation() {
  HWINSTA station = GetProcessWindowStation();
  USEROBJECTFLAGS flags{};
  if (!station || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) {
    return false;
  }
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

void ShowFindDialog(HWND owner, IWBA003_4* /*control*/) {
  if (!HasInteractiveWindowStation()) return;
  MessageBoxW(owner, L"Поиск устройства", L"Драйвер купюроприемника", MB_OK | MB_ICONINFORMATION);
}

}  // namespace notarel
