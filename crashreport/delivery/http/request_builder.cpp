#include "crashreport/delivery/http/request_builder.h"

#include <algorithm>

#include "crashreport/base/util/text_case.h"
#include "crashreport/delivery/html/form_reader.h"
#include "rtl/format.h"

namespace tarvex {
namespace {

constexpr int kMaxCounter = 9999;

// The number in "...[v1.2 - 41]", its position and length; nothing when the text has none.
struct TCounter {
  size_t Begin = 0, Length = 0;
  int Value = 0;
};
std::optional<TCounter> CounterIn(std::string_view text) {
  const size_t dash = text.find(" - ");
  if (dash == std::string_view::npos) return std::nullopt;
  const size_t begin = dash + 3;
  const size_t end = std::min(text.find(']', begin), text.size());
  const std::string_view digits = text.substr(begin, end - begin);
  if (digits.empty() || digits.size() > 9) return std::nullopt;
  int value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return TCounter{begin, digits.size(), value};
}

}  // namespace

void THTTPRequestBuilder::SetRequest(std::string_view page, THTTPMethod method) {
  NextURL = RootPath + std::string(page);
  Method = method;
  FormFields.clear();
  FormFiles.clear();
}

void THTTPRequestBuilder::Redirect(std::string url) {
  NextURL = std::move(url);
  Method = hmGet;
  FormFields.clear();
  FormFiles.clear();
}

void THTTPRequestBuilder::AddField(std::string_view name, std::string_view value) {
  FormFields.push_back({std::string(name), std::string(value)});
}

void THTTPRequestBuilder::AddFile(std::string_view fieldName, std::string_view path) {
  FormFiles.push_back({std::string(fieldName), std::string(path)});
}

void THTTPRequestBuilder::CopyInputField(std::string_view name) {
  const auto value = InputValue(LastResponse.Body, name);
  if (value && !value->empty()) AddField(name, *value);
}

void THTTPRequestBuilder::CopyTextareaField(std::string_view name) {
  const auto value = TextareaValue(LastResponse.Body, name);
  if (value) AddField(name, *value);
}

void THTTPRequestBuilder::AddSelected(std::string_view name, bool onlyWhenSet) {
  const auto options = SelectOptions(LastResponse.Body, name);
  if (!options) {
    CopyInputField(name);
    return;
  }
  const auto selected = std::find_if(options->begin(), options->end(), [](const TSelectOption& o) { return o.Selected; });
  const std::string value = selected != options->end() ? selected->Value : std::string();
  if (!value.empty() || !onlyWhenSet) AddField(name, value);
}

void THTTPRequestBuilder::CopySelectField(std::string_view name) { AddSelected(name, false); }

void THTTPRequestBuilder::CopySelectFieldIfSet(std::string_view name) { AddSelected(name, true); }

void THTTPRequestBuilder::SelectOption(std::string_view name, std::string_view optionText) {
  const auto options = SelectOptions(LastResponse.Body, name);
  if (!options) return;
  const auto match = std::find_if(options->begin(), options->end(),
                                  [&](const TSelectOption& o) { return SameTextIgnoringCase(o.Text, optionText); });
  AddField(name, match != options->end() ? match->Value : std::string());
}

void THTTPRequestBuilder::AddCustomFields(const TFormFields& fields) {
  const size_t own = fields.size() > 4 ? fields.size() - 4 : 0;
  for (size_t i = 0; i < own; ++i) {
    const auto existing = std::find_if(FormFields.begin(), FormFields.end(),
                                       [&](const TFormField& f) { return f.Name == fields[i].Name; });
    if (existing != FormFields.end()) {
      *existing = fields[i];
    } else {
      FormFields.push_back(fields[i]);
    }
  }
}

void THTTPRequestBuilder::SetSummaryField(std::string_view name, std::string_view version, std::string_view type,
                                          std::string_view id) {
  AddField(name, rtl::Format("[v%s - 1]: %s (%s)", std::string(version).c_str(), std::string(type).c_str(),
                             std::string(id).c_str()));
}

void THTTPRequestBuilder::SetSearchField(std::string_view name, std::string_view type, std::string_view id) {
  AddField(name, rtl::Format("%s (%s)", std::string(type).c_str(), std::string(id).c_str()));
}

bool THTTPRequestBuilder::IncrementCounter(std::string_view name) {
  std::string value = InputValue(LastResponse.Body, name).value_or("");
  if (const auto counter = CounterIn(value)) {
    if (counter->Value >= kMaxCounter) return false;
    value.replace(counter->Begin, counter->Length, std::to_string(counter->Value + 1));
  }
  AddField(name, value);
  return true;
}

bool THTTPRequestBuilder::ResponseIs(std::string_view document, std::string_view mustContain,
                                     std::string_view mustNotContain) const {
  if (!document.empty() && !SameTextIgnoringCase(LastResponse.Document, document)) return false;
  if (!mustContain.empty() && !ContainsIgnoringCase(LastResponse.Body, mustContain)) return false;
  return mustNotContain.empty() || !ContainsIgnoringCase(LastResponse.Body, mustNotContain);
}

std::string THTTPRequestBuilder::Describe(std::string_view text, std::string_view extra) {
  if (extra.empty()) return std::string(text);
  return std::string(text) + "\r\n\r\n---\r\n\r\n" + std::string(extra);
}

}  // namespace tarvex
