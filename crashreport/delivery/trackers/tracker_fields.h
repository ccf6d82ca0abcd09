// Texts a tracker submission takes from its inputs and from the trackers'
// pages: the web fields given as "name=value" entries and markers in a page.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "crashreport/delivery/http/form_fields.h"

namespace tarvex {

// Each entry split at its first "=" (an entry without one is a name with an empty value).
TFormFields FieldsFromEntries(const std::vector<std::string>& entries);
// The value of the first field named `name`; empty when there is none.
std::string FieldValue(const TFormFields& fields, std::string_view name);
// The text after the first `marker` in `page` up to the next `end`
// character (or the page's end); empty when the marker does not occur.
std::string TextAfter(std::string_view page, std::string_view marker, char end);

}  // namespace tarvex
