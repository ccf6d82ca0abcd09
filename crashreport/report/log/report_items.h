// The numbered items of a stored report's general sections.
//
// An item line is two spaces, the item number "N.M", a space, the label
// padded to the section's label width, ": " and the value:
//
//   "  2.7 ID            : 4A3F"
//
// A multi-line value goes on in continuation lines indented to the value
// column; in them ": " is written ":_" and an empty line ".". The value ends
// before the next blank line or the next item line (two spaces and no space as
// the fourth character).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvex {

// The items the log itself reads.
inline constexpr std::string_view kItemVersion = "1.3";
inline constexpr std::string_view kItemDate = "2.1";
inline constexpr std::string_view kItemType = "2.5";
inline constexpr std::string_view kItemMessage = "2.6";
inline constexpr std::string_view kItemExceptionId = "2.7";
inline constexpr std::string_view kItemCount = "2.8";
inline constexpr std::string_view kCountLabel = "Count";

// The value of item `number` ("2.8") with its layout undone: continuation
// lines lose their indentation, ":_" reads ": ", a lone "." a blank; trimmed.
// Empty when the report has no line for the item.
std::string GetItemValue(std::string_view report, std::string_view number);

// Whether item `number` carries exactly `value`, laid out as the report lays
// it out.
bool ItemHasValue(std::string_view report, std::string_view number, std::string_view value);

// Replaces the value of item `number`. A report without a line for it gets one
// after the last item of its section, the label padded to the section's label
// width. False when the section has no item to put it after.
bool SetItemValue(std::string& report, std::string_view number, std::string_view value, std::string_view label);

}  // namespace tarvex
