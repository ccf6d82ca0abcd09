// tarvex log FILE [--xml OUT.xml | --show N]: a received log file read without the program.
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "crashreport/report/log/log_file.h"
#include "crashreport/report/log/report_items.h"
#include "rtl/convert.h"
#include "tools/tarvex/arguments.h"
#include "tools/tarvex/commands.h"
#include "tools/tarvex/file_bytes.h"

namespace tarvex::tool {
namespace {

// Files of this machine. A received log is written by nobody else here, so its lock is nothing.
class LocalLogFiles final : public LogStorage {
 public:
  std::unique_ptr<LogLock> Lock(const std::string&, std::chrono::milliseconds) override {
    return std::make_unique<LogLock>();
  }
  ReadResult Read(const std::string& fileName, std::string& bytes) override {
    std::error_code error;
    if (!std::filesystem::exists(fileName, error)) return ReadResult::Missing;
    if (!std::filesystem::is_regular_file(fileName, error) || std::filesystem::file_size(fileName, error) > kMaxLogFileSize)
      return ReadResult::Failed;
    try {
      const std::vector<uint8_t> content = ReadFileBytes(fileName);
      bytes.assign(content.begin(), content.end());
      return ReadResult::Read;
    } catch (const std::exception&) {
      return ReadResult::Failed;
    }
  }
  bool Write(const std::string& fileName, std::string_view bytes) override {
    try {
      WriteFileBytes(fileName, bytes);
      return true;
    } catch (const std::exception&) {
      return false;
    }
  }
  bool Remove(const std::string& fileName) override {
    std::error_code error;
    std::filesystem::remove(fileName, error);
    return !error;
  }
};

void Print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

// "1  Sat, 3 Feb 2024 10:16:07 +0100  EConvertError  'abc' is not a valid integer value.  (count 1)"
void List(const TLogFile& log) {
  if (log.Count() == 0) std::fprintf(stderr, "%s holds no reports\n", log.FileName().c_str());
  for (size_t i = 0; i < log.Count(); ++i) {
    std::string count = log.GetItemValue(kItemCount, i);
    if (count.empty()) count = "1";
    Print(std::to_string(i + 1) + "  " + log.GetItemValue(kItemDate, i) + "  " + log.GetItemValue(kItemType, i) +
          "  " + OneLine(log.GetItemValue(kItemMessage, i)) + "  (count " + count + ")\n");
  }
}

}  // namespace

int LogCommand(const Arguments& args) {
  const ParsedArguments parsed = ParseArguments(args, {"--xml", "--show"}, {}, 1);
  const std::string* xml = parsed.Option("--xml");
  const std::string* show = parsed.Option("--show");
  if (xml && show) throw std::runtime_error("--xml and --show go one at a time");
  const std::string& file = parsed.positional[0];

  if (!std::filesystem::exists(file)) throw std::runtime_error(file + " does not exist");
  LocalLogFiles files;
  TLogFile log(files);
  const LogError error = log.Open(file, true);
  if (error != LogError::None) throw std::runtime_error(file + ": " + LogErrorText(error));

  if (xml) {
    if (log.ExportXml(*xml) != LogError::None) throw std::runtime_error("cannot write " + *xml);
  } else if (show) {
    const auto number = rtl::TryStrToInt(*show);
    if (!number || *number < 1 || static_cast<size_t>(*number) > log.Count())
      throw std::runtime_error("--show takes a report number from 1 to " + std::to_string(log.Count()));
    Print(log.Report(static_cast<size_t>(*number) - 1));
  } else {
    List(log);
  }
  return 0;
}

}  // namespace tarvex::tool
