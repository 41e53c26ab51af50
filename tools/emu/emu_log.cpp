#include "emu_log.h"

#include <chrono>
#include <ctime>

namespace notarel::emu {

void EmuLog::Line(const std::string& text) {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%H:%M:%S", &local);
  std::fprintf(out_, "%s.%03d %s\n", stamp, static_cast<int>(millis), text.c_str());
  std::fflush(out_);
}

}  // namespace notarel::emu
