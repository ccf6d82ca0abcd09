#include "crashreport/delivery/upload/upload_types.h"

#include "crashreport/base/util/file_names.h"

namespace tarvex {

std::string FtpRemoteName(const std::string& folder, const std::string& displayName) {
  const std::string name = ExtractFileName(displayName);
  if (folder.empty()) return name;
  return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

}  // namespace tarvex
