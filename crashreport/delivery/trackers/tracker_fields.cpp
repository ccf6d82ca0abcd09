#include "crashreport/delivery/trackers/tracker_fields.h"

#include <algorithm>

namespace tarvex {

TFormFields FieldsFromEntries(const std::vector<std::string>& entries) {
  TFormFields fields;
  for (const std::string& entry : entries) {
    const size_t equals = entry.find('=');
    if (equals == std::string::npos)
      fields.push_back({entry, std::string()});
    else
      fields.push_back({entry.substr(0, equals), entry.substr(equals + 1)});
  }
  return fields;
}

std::string FieldValue(const TFormFields& fields, std::string_view name) {
  const auto found = std::find_if(fields.begin(), fields.end(), [&](const TFormField& f) { return f.Name == name; });
  return found != fields.end() ? found->Value : std::string();
}

std::string TextAfter(std::string_view page, std::string_view marker, char end) {
  const size_t at = page.find(marker);
  if (at == std::string_view::npos) return {};
  const std::string_view rest = page.substr(at + marker.size());
  return std::string(rest.substr(0, rest.find(end)));
}

}  // namespace tarvex
