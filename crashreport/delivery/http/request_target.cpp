#include "crashreport/delivery/http/request_target.h"

namespace tarvex {

TRequestTarget SplitRequestTarget(std::string_view url) {
  TRequestTarget target;
  const size_t query = url.find('?');
  if (query != std::string_view::npos) target.Query = std::string(url.substr(query));
  std::string_view path = url.substr(0, query);
  const size_t scheme = path.find("://");
  if (scheme != std::string_view::npos) {
    const size_t hostEnd = path.find('/', scheme + 3);
    path = hostEnd == std::string_view::npos ? std::string_view() : path.substr(hostEnd);
  }
  const size_t slash = path.rfind('/');
  target.Document = std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
  target.Directory = std::string(slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1));
  if (target.Directory.empty() || target.Directory.front() != '/') target.Directory.insert(0, "/");
  return target;
}

std::string ResolveLocation(const TRequestTarget& current, std::string_view location) {
  if (location.find("://") != std::string_view::npos || location.starts_with("/")) return std::string(location);
  if (location.starts_with("?")) return current.Directory + current.Document + std::string(location);
  return current.Directory + std::string(location);
}

}  // namespace tarvex
