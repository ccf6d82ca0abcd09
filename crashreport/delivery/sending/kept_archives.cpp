#include "crashreport/delivery/sending/kept_archives.h"

#include <algorithm>

#include "crashreport/base/util/text_case.h"

namespace tarvex {

bool IsKeptArchiveName(std::string_view fileName) {
  const std::string name = LowerCase(fileName);
  if (name == "bugreport.zip") return true;
  return name.size() > 15 && name.starts_with("bugreport__") && name.ends_with(".zip");
}

std::vector<std::string> ArchivesToPrune(const std::vector<std::string>& fileNames, size_t keep) {
  std::vector<std::string> archives;
  for (const std::string& name : fileNames)
    if (IsKeptArchiveName(name)) archives.push_back(name);
  if (archives.size() <= keep) return {};
  std::sort(archives.begin(), archives.end());
  archives.resize(archives.size() - keep);
  return archives;
}

}  // namespace tarvex
