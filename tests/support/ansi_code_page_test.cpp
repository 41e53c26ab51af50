// The Wine scripts run each test program under a Russian locale and then a
// few of its tests under a western one. This check makes sure the program
// really got the ANSI code page its run was meant for; otherwise the second
// run would prove nothing about a non-Russian system.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(AnsiCodePage, IsTheOneTheRunAskedFor) {
  const char* expected = std::getenv("NOTAREL_ANSI_CODE_PAGE");
  if (!expected) GTEST_SKIP() << "the run names no ANSI code page";
  EXPECT_EQ(std::to_string(GetACP()), expected);
}

}  // namespace
