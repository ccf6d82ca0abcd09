// Writing a bug report archive (deflate level 9) with and without a
// password, side by side with Info-ZIP's "zip -9" on the same files:
// a 4 MB report log, a 2 MB memory dump and a screenshot PNG.
// Throughput counts the input bytes per second of processor time.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/command_cpu_time.h"
#include "bench/desktop_picture.h"
#include "crashreport/report/screenshot/png_writer.h"
#include "crashreport/delivery/zip/zip_writer.h"

namespace {

namespace fs = std::filesystem;
using namespace tarvex;

struct ReportFiles {
  fs::path Folder;
  std::vector<std::pair<std::string, std::string>> Files;  // path, entry name
  size_t Bytes = 0;
};

void WriteFile(ReportFiles& files, const std::string& name, const std::vector<uint8_t>& bytes) {
  const fs::path path = files.Folder / name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  files.Files.emplace_back(path.string(), name);
  files.Bytes += bytes.size();
}

const ReportFiles& Files() {
  static const ReportFiles files = [] {
    ReportFiles made;
    made.Folder = fs::temp_directory_path() / "vx-zip-bench";
    fs::create_directories(made.Folder);
    std::mt19937 random(1);
    std::vector<uint8_t> log;
    while (log.size() < 4u << 20) {
      char line[160];
      const int n = std::snprintf(line, sizeof line, "%08X|%-24s|Unit%u.pas|%5u|TForm%u.Button%uClick|%u\r\n",
                                  unsigned(0x401000u + random() % 0x80000), "ZorvikCalc.exe", unsigned(random() % 40),
                                  unsigned(random() % 3000), unsigned(random() % 9), unsigned(random() % 30),
                                  unsigned(random() % 100));
      log.insert(log.end(), line, line + n);
    }
    WriteFile(made, "BugReport.log", log);
    std::vector<uint8_t> dump(2u << 20);  // stack-like: small numbers, pointers, zeros
    for (size_t i = 0; i < dump.size(); i += 4) {
      const uint32_t value = random() % 4 == 0 ? 0x00400000u + random() % 0x100000 : random() % 3 == 0 ? 0 : random() % 256;
      for (int b = 0; b < 4; ++b) dump[i + b] = static_cast<uint8_t>(value >> (8 * b));
    }
    WriteFile(made, "dump.bin", dump);
    WriteFile(made, "Screenshot.png", EncodePng(bench::DesktopPicture256()));
    return made;
  }();
  return files;
}

void SetThroughput(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Files().Bytes));
}

void BM_Zip(benchmark::State& state, const std::string& password) {
  const ReportFiles& files = Files();
  const std::string archive = (files.Folder / "ours.zip").string();
  for (auto _ : state) {
    TZipWriter zip(archive, password);
    for (const auto& [path, name] : files.Files) zip.AddFile(path, name);
  }
  SetThroughput(state);
  state.counters["archive"] = static_cast<double>(fs::file_size(archive));
}

void BM_InfoZip(benchmark::State& state, const std::string& password) {
  const ReportFiles& files = Files();
  const fs::path archive = files.Folder / "infozip.zip";
  std::string command = "zip -9 -q -j " + std::string(password.empty() ? "" : "-P " + password + " ") + archive.string();
  for (const auto& [path, name] : files.Files) command += " " + path;
  bench::RunCommandBenchmark(state, command, [&] { fs::remove(archive); });  // zip adds to an existing archive
  SetThroughput(state);
  state.counters["archive"] = static_cast<double>(fs::file_size(archive));
}

BENCHMARK_CAPTURE(BM_Zip, no_password, std::string())->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_Zip, password, std::string("s3cret"))->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_InfoZip, no_password, std::string())->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK_CAPTURE(BM_InfoZip, password, std::string("s3cret"))->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
