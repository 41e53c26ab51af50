// The UI tests' environment: OLE on the main thread, and the driver's
// settings file beside Notarel.dll pointing at the emulator's COM port, so
// that the control Notaprobe creates talks to the emulator.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "notarel2.h"

namespace {

class TNotaprobeEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    const char* com = std::getenv("NOTAREL_EMU_COM");
    long port = com && *com ? std::strtol(com, nullptr, 10) : 5;
    try {
      TNotarel2 control;
      control.SetLong(kDispPortNumber, port);
      // The acceptor is set up for the first country of the tables (Russia),
      // so that bills have values.
      control.SetLong(kDispCountryIndex, 0);
      ASSERT_TRUE(control.Call(&IWBA003_4::CountryByIndex, L"CountryByIndex"));
      ASSERT_EQ(control.GetLong(kDispPortNumber), port);
      ASSERT_TRUE(control.Call(&IWBA003_4::SaveParams, L"SaveParams"))
          << "(" << control.GetLong(kDispResultCode) << ")";
    } catch (const TOleError& e) {
      FAIL() << "the control cannot be created (is Notarel.dll registered?): " << e.what();
    }
  }
  void TearDown() override { OleUninitialize(); }
};

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TNotaprobeEnvironment);

}  // namespace
