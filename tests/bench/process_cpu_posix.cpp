// getrusage of this process only: the emulators are child processes, whose
// time is not counted until they are waited for.
#include <sys/resource.h>

#include "process_cpu.h"

namespace notarel::bench {

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace notarel::bench
