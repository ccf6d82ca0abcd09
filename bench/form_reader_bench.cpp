// The form reader over saved tracker-like pages (a bug entry form with a
// 400-option list, a 300-row bug list, a report form): the reads one tracker
// submission makes of a page. Throughput counts page bytes per second.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

#include "crashreport/delivery/html/form_reader.h"

namespace {

using namespace tarvex;

std::string Page(const char* name) {
  std::ifstream file(std::string(VX_HTML_PAGES) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void BM_EntryForm(benchmark::State& state) {
  const std::string page = Page("enter_bug.html");
  for (auto _ : state) {
    benchmark::DoNotOptimize(InputValue(page, "token"));
    benchmark::DoNotOptimize(InputValue(page, "version"));
    benchmark::DoNotOptimize(SelectOptions(page, "component"));
    benchmark::DoNotOptimize(SelectOptions(page, "bug_severity"));
    benchmark::DoNotOptimize(TextareaValue(page, "comment"));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

void BM_BugList(benchmark::State& state) {
  const std::string page = Page("bug_list.html");
  for (auto _ : state) {
    benchmark::DoNotOptimize(InputValue(page, "quicksearch"));
    benchmark::DoNotOptimize(IdentifierAfter(page, "show_bug.cgi?id=", 1));
    benchmark::DoNotOptimize(IdentifierAfter(page, "show_bug.cgi?id=", 300));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

void BM_ReportForm(benchmark::State& state) {
  const std::string page = Page("report_form.html");
  for (auto _ : state) {
    for (const char* name : {"token", "quoted", "version", "missing"}) benchmark::DoNotOptimize(InputValue(page, name));
    benchmark::DoNotOptimize(SelectOptions(page, "project"));
    benchmark::DoNotOptimize(TextareaValue(page, "steps"));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

BENCHMARK(BM_EntryForm);
BENCHMARK(BM_BugList);
BENCHMARK(BM_ReportForm);

}  // namespace

BENCHMARK_MAIN();
