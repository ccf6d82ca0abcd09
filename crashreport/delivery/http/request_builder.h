// The requests of a tracker submission, built from the forms of the last
// response: the page and method of the next request, its fields and files.
// Bytes and text only; THTTPConnectionBase sends what is built here.
#pragma once

#include <string>
#include <string_view>

#include "crashreport/delivery/http/form_fields.h"
#include "crashreport/delivery/http/http_response.h"

namespace tarvex {

enum THTTPMethod : int { hmGet = 0, hmPostUrlEncoded = 1, hmPostMultipart = 2 };

class THTTPRequestBuilder {
 public:
  std::string RootPath = "/";  // the address's path, starting and ending with "/"
  std::string NextURL;         // target of the next request
  THTTPMethod Method = hmGet;
  TFormFields FormFields;
  TFormFields FormFiles;  // field name and file path
  THTTPResponse LastResponse;

  // NextURL = RootPath + page; the method; no fields or files.
  void SetRequest(std::string_view page, THTTPMethod method);
  // The next request goes to `url` as a GET without fields or files (a redirect).
  void Redirect(std::string url);

  void AddField(std::string_view name, std::string_view value);
  void AddFile(std::string_view fieldName, std::string_view path);
  // The named input's value from the last response, when it is not empty.
  void CopyInputField(std::string_view name);
  // The named text area's content from the last response, trimmed.
  void CopyTextareaField(std::string_view name);
  // The value of the selected option of the named select (empty when none
  // is selected); without such a select, CopyInputField.
  void CopySelectField(std::string_view name);
  // Like CopySelectField, but an empty selected value adds nothing.
  void CopySelectFieldIfSet(std::string_view name);
  // The value of the named select's option whose text is `optionText`
  // (ignoring case), or an empty value; nothing without such a select.
  void SelectOption(std::string_view name, std::string_view optionText);
  // Every entry but the last four (the tracker's own extra fields) replaces
  // the field of its name, or is added when there is none.
  void AddCustomFields(const TFormFields& fields);
  void SetSummaryField(std::string_view name, std::string_view version, std::string_view type, std::string_view id);
  void SetSearchField(std::string_view name, std::string_view type, std::string_view id);
  // The named input's value with the number after " - " (up to "]") raised by
  // one; false, adding nothing, when that number is 9999 or more. A value
  // without such a number is added as it is.
  bool IncrementCounter(std::string_view name);
  // The last response's document is `document`, its body contains
  // `mustContain` and not `mustNotContain` (all ignoring case; an empty text
  // is not checked).
  bool ResponseIs(std::string_view document, std::string_view mustContain, std::string_view mustNotContain) const;

  // `text`, and `extra` below a "---" line when there is one.
  static std::string Describe(std::string_view text, std::string_view extra);

 private:
  void AddSelected(std::string_view name, bool onlyWhenSet);
};

}  // namespace tarvex
