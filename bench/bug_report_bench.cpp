// Composing a whole report for a 30-entry stack, 60 modules and 80 processes
// (goal: at most 5 ms).
#include <benchmark/benchmark.h>

#include "crashreport/report/composer/bug_report.h"
#include "tests/report/composer/report_fixture.h"

namespace {

void BM_ComposeBugReport(benchmark::State& state) {
  tarvex::testing::ReportFixture fixture(30, 60, 80);
  size_t bytes = 0;
  for (auto _ : state) {
    tarvex::BugReport report = tarvex::ComposeBugReport(fixture.facts);
    bytes = report.Text().size();
    benchmark::DoNotOptimize(report);
  }
  state.counters["report_bytes"] = double(bytes);
}
BENCHMARK(BM_ComposeBugReport)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
