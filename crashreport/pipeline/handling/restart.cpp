#include "crashreport/pipeline/handling/restart.h"

namespace tarvex {

std::string RestartCommandLine(std::string_view commandLine) {
  std::string line(commandLine);
  constexpr std::string_view kHost = ".vshost";
  for (size_t at = line.find(kHost); at != std::string::npos; at = line.find(kHost, at)) line.erase(at, kHost.size());
  return line;
}

}  // namespace tarvex
