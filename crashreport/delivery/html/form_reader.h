// A tolerant reader of the forms in a web page: finds input, select, option
// and textarea elements by walking the text with quote and tag tracking, and
// reads their names, values, selected options and texts. Never fails: what
// cannot be found reads as nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex {

enum THtmlElementKind { hkInput, hkSelect, hkOption, hkTextarea };

// The texts of the elements of `kind` in document order: what lies between
// the opening "<name" and the closing text, trimmed, with blanks around "="
// removed outside quotes and a trailing "/" dropped (entities not decoded).
std::vector<std::string> ElementTexts(std::string_view html, THtmlElementKind kind);

// The value of `attribute` in an element text (up to its first ">" outside
// quotes): one pair of surrounding quotes removed, entities decoded. Nothing
// when the attribute is absent; names match whole and ignoring case.
std::optional<std::string> AttributeValue(std::string_view elementText, std::string_view attribute);
// Whether the element text's opening tag carries `attribute` at all ("selected").
bool HasAttribute(std::string_view elementText, std::string_view attribute);

struct TSelectOption {
  std::string Value;  // the value attribute, else the visible text
  std::string Text;   // the visible text: after the tag, entities decoded, trimmed
  bool Selected = false;
  bool operator==(const TSelectOption&) const = default;
};

// The first element of `kind` whose name attribute equals `name`.
std::optional<std::string> NamedElement(std::string_view html, THtmlElementKind kind, std::string_view name);
// The value of the input named `name`; nothing without such an input.
std::optional<std::string> InputValue(std::string_view html, std::string_view name);
// The trimmed, decoded content of the text area named `name`.
std::optional<std::string> TextareaValue(std::string_view html, std::string_view name);
// The options of the select element named `name`; nothing without it.
std::optional<std::vector<TSelectOption>> SelectOptions(std::string_view html, std::string_view name);

// In the lower-cased page: the characters after the `occurrence`-th (from 1)
// lower-cased `marker` up to the first blank, '"', "&", "'", "<", ">" or
// backslash; empty when the marker does not occur that often.
std::string IdentifierAfter(std::string_view html, std::string_view marker, int occurrence = 1);

}  // namespace tarvex
