#include "pages_test.h"

#include <cstdlib>

namespace pages_test {
namespace {

// The control is called from this thread, a single-threaded apartment, as
// Notaprobe calls it.
class ApartmentEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
  void TearDown() override { CoUninitialize(); }
};

const auto* const kApartment = ::testing::AddGlobalTestEnvironment(new ApartmentEnvironment);

}  // namespace

int EmulatorCom() {
  const char* com = std::getenv("NOTAREL_EMU_COM");
  const int number = com ? std::atoi(com) : 0;
  return number > 0 ? number : 5;
}

bool WaitFor(const std::function<bool()>& cond, int timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (cond()) return true;
    if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return cond();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
}

void DeviceTest::SetUp() {
  peer_ = notarel::EmulatorPeer::Start();
  ASSERT_TRUE(peer_);
  try {
    driver_ = std::make_unique<TNotarel2>();
  } catch (const TOleError& error) {
    FAIL() << "the control could not be created: " << error.what();
  }
  driver_->SetLong(kDispPortNumber, EmulatorCom());
}

void DeviceTest::UseMissingPort() {
  driver_->Call(&IWBA003_4::ClosePort, L"ClosePort");
  driver_->SetLong(kDispPortNumber, kMissingCom);
}

void DeviceTest::TearDown() {
  if (!driver_) return;
  driver_->Call(&IWBA003_4::StopPolling, L"StopPolling");
  driver_->Call(&IWBA003_4::ClosePort, L"ClosePort");
  driver_.reset();
}

}  // namespace pages_test
