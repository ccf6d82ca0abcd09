// The target of the next request: the page a form leads to, or where a
// redirect sends it, split the way the request is opened.
#pragma once

#include <string>
#include <string_view>

namespace tarvex {

struct TRequestTarget {
  std::string Directory;  // from "/" up to and including the last "/"
  std::string Document;   // after the last "/", without the query
  std::string Query;      // from "?"; empty when none
  std::string Text() const { return Directory + Document + Query; }
  bool operator==(const TRequestTarget&) const = default;
};

// Splits `url` (a path, or a whole address whose scheme and host are dropped).
TRequestTarget SplitRequestTarget(std::string_view url);

// Where a Location or Refresh target leads from the request `current`:
// absolute addresses and paths as they are, a relative name beside `current`.
std::string ResolveLocation(const TRequestTarget& current, std::string_view location);

}  // namespace tarvex
