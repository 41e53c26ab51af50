#include "driver.h"

#include <stdexcept>

#include "cp1251.h"
#include "notify_thread.h"
#include "settings_file.h"

namespace notarel {

TDriver::TDriver() : fileName_(SettingsFileNameFor(ModulePath())) {}

TDriver::~TDriver() {
  {
    std::lock_guard<std::mutex> hold(pollingLock_);
    destroying_.store(true);
  }
  // Stops the loop and tells the device to inhibit: it must stop accepting
  // bills once nobody listens for them.
  StopPolling();
  // The loop may still be finishing its last cycle; nothing it uses may go first.
  std::unique_lock<std::mutex> lock(pollingLock_);
  WaitForFinishingLoop(lock, false);
}

bool TDriver::Denomination(int index) const {
  if (index < 1 || index > 8) throw std::out_of_range(Utf8ToCp1251("Неверное значение индекса"));
  return (denominationMask_.load() >> (index - 1)) & 1U;
}

void TDriver::SetDenomination(int index, bool value) {
  if (index < 1 || index > 8) throw std::out_of_range(Utf8ToCp1251("Неверное значение индекса"));
  const auto bit = static_cast<std::uint8_t>(1U << (index - 1));
  if (value) {
    denominationMask_.fetch_or(bit);
  } else {
    denominationMask_.fetch_and(static_cast<std::uint8_t>(~bit));
  }
}

std::string TDriver::DeviceCountryCode() const {
  const std::string model = ModelID();
  return model.size() > 2 ? model.substr(2, 3) : std::string();
}

}  // namespace notarel
