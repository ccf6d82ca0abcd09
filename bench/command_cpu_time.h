// Timing a peer tool run as a command. The machine is shared, so the tool is
// measured by the processor time its processes used (user + system, children
// waited for), the same measure as the CPU column of our own benchmarks.
#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <string>

namespace tarvex::bench {

inline double ChildrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs `command` once per iteration; register with UseManualTime().
template <class BeforeEach>
void RunCommandBenchmark(benchmark::State& state, const std::string& command, BeforeEach beforeEach) {
  for (auto _ : state) {
    beforeEach();
    const double before = ChildrenCpuSeconds();
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError(("failed: " + command).c_str());
      return;
    }
    state.SetIterationTime(ChildrenCpuSeconds() - before);
  }
}

}  // namespace tarvex::bench
