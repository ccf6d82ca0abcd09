#include "crashreport/delivery/http/redirects.h"

#include "crashreport/base/util/text_case.h"

namespace tarvex {

std::optional<std::string> HeaderValue(std::string_view rawHeaders, std::string_view name) {
  size_t lineStart = 0;
  while (lineStart < rawHeaders.size()) {
    size_t lineEnd = rawHeaders.find('\n', lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = rawHeaders.size();
    const std::string_view line = rawHeaders.substr(lineStart, lineEnd - lineStart);
    const size_t colon = line.find(':');
    if (colon != std::string_view::npos && SameTextIgnoringCase(TrimText(line.substr(0, colon)), name))
      return std::string(TrimText(line.substr(colon + 1)));
    lineStart = lineEnd + 1;
  }
  return std::nullopt;
}

std::string RefreshTarget(std::string_view refresh) {
  const size_t marker = FindIgnoringCase(refresh, "url=");
  if (marker == std::string_view::npos) return {};
  std::string_view target = TrimText(refresh.substr(marker + 4));
  if (target.size() >= 2 && (target.front() == '"' || target.front() == '\'') && target.back() == target.front())
    target = TrimText(target.substr(1, target.size() - 2));
  return std::string(target);
}

TRedirect RedirectOf(int status, std::string_view rawHeaders) {
  TRedirect redirect{status, std::nullopt, false};
  if (status == 200) {
    const auto refresh = HeaderValue(rawHeaders, "Refresh");
    std::string target = refresh ? RefreshTarget(*refresh) : std::string();
    if (!target.empty()) redirect = {302, std::move(target), true};
  } else if (status == 301 || status == 302 || status == 303) {
    auto location = HeaderValue(rawHeaders, "Location");
    if (location && !location->empty()) {
      redirect.Location = std::move(location);
      redirect.Follow = status == 302;
    }
  }
  return redirect;
}

}  // namespace tarvex
