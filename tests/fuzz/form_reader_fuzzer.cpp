// libFuzzer target: the form reader over arbitrary pages (seeded with the
// saved tracker-like pages). Every element text lies within the page; names
// read back find an element; values never grow beyond the page; identifiers
// stop at their terminators.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "crashreport/delivery/html/form_reader.h"
#include "crashreport/delivery/html/html_entities.h"

namespace {

using namespace tarvex;

void Check(bool condition) {
  if (!condition) std::abort();
}

// Looking an element up by name reads the page again: done for the first
// few elements only, so that a run stays linear in the page.
constexpr int kLookedUp = 8;

void ReadElements(std::string_view page, THtmlElementKind kind) {
  int lookups = 0;
  for (const std::string& text : ElementTexts(page, kind)) {
    Check(text.size() <= page.size());
    const auto name = AttributeValue(text, "name");
    if (name) Check(name->size() <= text.size());
    if (const auto value = AttributeValue(text, "value")) Check(value->size() <= text.size());
    HasAttribute(text, "selected");
    if (!name || name->empty() || ++lookups > kLookedUp) continue;
    Check(NamedElement(page, kind, *name).has_value());
    if (kind == hkInput) Check(InputValue(page, *name).has_value());
    if (kind == hkTextarea) Check(TextareaValue(page, *name).has_value());
    if (kind == hkSelect) {
      const auto options = SelectOptions(page, *name);
      Check(options.has_value());
      for (const TSelectOption& option : *options) Check(option.Text.size() <= page.size());
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  for (const auto kind : {hkInput, hkSelect, hkOption, hkTextarea}) ReadElements(page, kind);
  Check(DecodeEntities(page).size() <= page.size());
  const std::string id = IdentifierAfter(page, "id=", 1);
  Check(id.find_first_of(" \"&'<>\\") == std::string::npos && id.size() <= page.size());
  return 0;
}
