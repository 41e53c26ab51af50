#pragma once
// The CPU time this process has used so far (user and system), in seconds.
namespace notarel::bench {
double ProcessCpuSeconds();
}  // namespace notarel::bench
