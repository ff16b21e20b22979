// The clocks the benchmarks time with.
#ifndef TCE_BENCH_BENCH_CLOCK_H_
#define TCE_BENCH_BENCH_CLOCK_H_

#include <time.h>

#include <chrono>

namespace tce::bench {

using Clock = std::chrono::steady_clock;

inline double Millis(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start)
      .count();
}

// The CPU time this thread has used, in milliseconds: less sensitive than
// the wall clock to what else a shared machine is doing.
inline double ThreadCpuMillis() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

}  // namespace tce::bench

#endif  // TCE_BENCH_BENCH_CLOCK_H_
