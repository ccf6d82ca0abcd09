#include "tests/report/screenshot/png_checkers.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace tarvex::testsupport {

namespace {

struct CommandResult {
  int ExitCode = -1;
  std::string Output;
};

// Runs a shell command; its standard output and error together.
CommandResult Run(const std::string& command) {
  CommandResult result;
  std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer;
  size_t got;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.Output.append(buffer.data(), got);
  const int status = pclose(pipe);
  result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

}  // namespace

PngCheckReport PngCheck(const std::filesystem::path& png) {
  const CommandResult run = Run("pngcheck -v " + Quoted(png));
  PngCheckReport report;
  report.Output = run.Output;
  report.Valid = run.ExitCode == 0;
  static const std::regex chunkLine(R"(chunk (\w{4}) at offset 0x[0-9a-f]+, length (\d+))");
  for (std::sregex_iterator at(run.Output.begin(), run.Output.end(), chunkLine), end; at != end; ++at)
    report.Chunks.push_back(PngChunk{(*at)[1], std::stoul((*at)[2])});
  return report;
}

DecodedPicture DecodeWithImageMagick(const std::filesystem::path& png) {
  DecodedPicture picture;
  const CommandResult size = Run("identify -format '%w %h' " + Quoted(png));
  if (size.ExitCode != 0) return picture;
  std::istringstream(size.Output) >> picture.Width >> picture.Height;
  const std::filesystem::path raw = png.string() + ".rgb";
  if (Run("convert " + Quoted(png) + " -depth 8 rgb:" + Quoted(raw)).ExitCode != 0) return picture;
  std::ifstream in(raw, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::filesystem::remove(raw);
  for (size_t i = 0; i + 2 < bytes.size(); i += 3)
    picture.Pixels.push_back(
        Rgb{static_cast<uint8_t>(bytes[i]), static_cast<uint8_t>(bytes[i + 1]), static_cast<uint8_t>(bytes[i + 2])});
  return picture;
}

}  // namespace tarvex::testsupport
