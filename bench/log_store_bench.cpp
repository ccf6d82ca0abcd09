// The log file store on a full log: 32 reports (the default maximum) of the
// fixture reports, about 150 KB. Reading the file's text into reports,
// writing it, counting a duplicate (find the ID, rewrite the count) and the
// XML export; reading a 50 MB file of binary data that holds no report.
#include <benchmark/benchmark.h>

#include <random>

#include "crashreport/report/log/log_text.h"
#include "crashreport/report/log/log_xml.h"
#include "crashreport/report/log/report_items.h"
#include "tests/report/log/log_fixtures.h"

namespace {

using namespace tarvex;
using namespace tarvex::testing;

std::vector<std::string> FullLog() {
  std::vector<std::string> reports;
  for (int i = 0; i < 32; ++i) {
    const std::string& report = i % 3 == 0 ? FullReport() : i % 3 == 1 ? MinimalReport() : EmptyListingReport();
    reports.push_back(OtherException(report, "ID" + std::to_string(i), "report " + std::to_string(i)));
  }
  return reports;
}

void BM_ReadLog(benchmark::State& state) {
  const std::string text = WriteLogText(FullLog());
  for (auto _ : state) benchmark::DoNotOptimize(ReadLogText(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadLog);

void BM_WriteLog(benchmark::State& state) {
  const std::vector<std::string> reports = FullLog();
  for (auto _ : state) benchmark::DoNotOptimize(WriteLogText(reports));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * WriteLogText(reports).size()));
}
BENCHMARK(BM_WriteLog);

void BM_CountDuplicate(benchmark::State& state) {
  const std::vector<std::string> reports = FullLog();
  for (auto _ : state) {
    std::vector<std::string> log = reports;
    for (size_t i = log.size(); i-- > 0;)
      if (ItemHasValue(log[i], kItemExceptionId, "ID0")) {
        SetItemValue(log[i], kItemCount, "2", kCountLabel);
        break;
      }
    benchmark::DoNotOptimize(log);
  }
}
BENCHMARK(BM_CountDuplicate);

void BM_ExportXml(benchmark::State& state) {
  const std::vector<std::string> reports = FullLog();
  for (auto _ : state) benchmark::DoNotOptimize(ExportXml(reports));
}
BENCHMARK(BM_ExportXml);

void BM_ReadBinaryFile(benchmark::State& state) {
  std::mt19937 random(11);
  std::string binary(50u << 20, '\0');
  for (char& c : binary) c = static_cast<char>(random());
  for (auto _ : state) benchmark::DoNotOptimize(ReadLogText(binary));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * binary.size()));
}
BENCHMARK(BM_ReadBinaryFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
