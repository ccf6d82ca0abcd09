// What a response asks the client to do next: a 302, or a 200 whose Refresh
// header names a page after "url=", is followed as a GET without fields; a
// 301 or 303 ends the request with its status. At most kMaxRedirects are
// followed, so a loop ends as a failure instead of running for ever.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvex {

inline constexpr int kMaxRedirects = 10;

// The value of the first header `name` (ignoring case) in raw CR LF headers,
// trimmed; nothing when absent.
std::optional<std::string> HeaderValue(std::string_view rawHeaders, std::string_view name);

// The text after "url=" (ignoring case) in a Refresh header's value, trimmed
// and without surrounding quotes; empty when there is none.
std::string RefreshTarget(std::string_view refresh);

struct TRedirect {
  int Status = 0;                        // the status the request counts with (a refresh counts as 302)
  std::optional<std::string> Location;   // the new target; the request then goes on as GET without fields
  bool Follow = false;                   // request the new target now
};

TRedirect RedirectOf(int status, std::string_view rawHeaders);

}  // namespace tarvex
