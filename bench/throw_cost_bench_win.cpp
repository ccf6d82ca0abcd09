// What every caught C++ exception costs a program that carries the crash
// reporter. Built twice from this file: throw_cost_bench_plain.exe without
// the reporter, throw_cost_bench_win.exe with it (TarvexLog autostart and
// its embedded options); bench/throw_cost_bench.sh runs both and prints the
// ratios. Each row throws in a function 10 calls deep and catches in the
// caller's caller, 20,000 times a round; the median of 7 rounds, in
// nanoseconds per throw and catch. "deep" rows run 60 frames further down
// the stack, with about 100 KB of it in use.
#include <algorithm>
#include <cstdio>
#include <type_traits>
#include <vector>

#include "bench/performance_counter_win.h"
#include "rtl/exception.h"

namespace {

constexpr int kThrowDepth = 10;
constexpr int kThrowsPerRound = 20000;
constexpr int kRounds = 7;
constexpr int kDeepFrames = 60;

volatile int sink = 0;

template <typename Thrown>
__attribute__((noinline)) void ThrowAt(int depth) {
  if (depth == 0) {
    if constexpr (std::is_same_v<Thrown, int>)
      throw 42;
    else
      throw rtl::EConvertError("not a number");
  }
  ThrowAt<Thrown>(depth - 1);
  sink = sink + 1;  // not a tail call
}

template <typename Thrown>
__attribute__((noinline)) void Caller() {
  ThrowAt<Thrown>(kThrowDepth);
  sink = sink + 1;
}

// Catches in the caller's caller: by type, or with catch (...).
template <typename Thrown, bool CatchAll>
__attribute__((noinline)) void CatchTwoUp() {
  if constexpr (CatchAll) {
    try {
      Caller<Thrown>();
    } catch (...) {
      sink = sink + 1;
    }
  } else {
    try {
      Caller<Thrown>();
    } catch (const Thrown&) {
      sink = sink + 1;
    }
  }
}

using Round = void (*)();

template <typename Thrown, bool CatchAll>
void ThrowRound() {
  for (int i = 0; i < kThrowsPerRound; ++i) CatchTwoUp<Thrown, CatchAll>();
}

double MedianNsPerThrow(Round round) {
  std::vector<double> times;
  for (int r = 0; r < kRounds; ++r) {
    const double start = NowMilliseconds();
    round();
    times.push_back((NowMilliseconds() - start) * 1e6 / kThrowsPerRound);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// Runs `round` below `frames` more frames, each with a share of 100 KB of stack in use.
__attribute__((noinline)) double Deep(Round round, int frames) {
  volatile char used[100 * 1024 / kDeepFrames];
  used[0] = static_cast<char>(frames);
  const double result = frames == 0 ? MedianNsPerThrow(round) : Deep(round, frames - 1);
  return result + used[0] * 0;
}

struct Row {
  const char* name;
  Round round;
};

}  // namespace

int main() {
  const Row rows[] = {
      {"int, catch by type", ThrowRound<int, false>},
      {"int, catch (...)", ThrowRound<int, true>},
      {"runtime exception class, catch by type", ThrowRound<rtl::EConvertError, false>},
      {"runtime exception class, catch (...)", ThrowRound<rtl::EConvertError, true>},
  };
  for (const Row& row : rows) {
    std::printf("%-44s shallow %9.0f ns\n", row.name, MedianNsPerThrow(row.round));
    std::printf("%-44s deep    %9.0f ns\n", row.name, Deep(row.round, kDeepFrames));
  }
  return 0;
}
