// A file that travels with the report: where it is, and the name it is sent under.
#pragma once

#include <string>
#include <vector>

namespace tarvex {

struct TAttachment {
  std::string Path;
  std::string Name;  // AttachmentName of the path
};

using TAttachments = std::vector<TAttachment>;

}  // namespace tarvex
