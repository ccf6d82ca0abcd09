#include <algorithm>
#include <cctype>

#include "crashreport/report/composer/bug_report.h"

namespace tarvex {

namespace {

constexpr const char* kBackButton =
    "<br><input type=button value=\"Ok\" OnClick=\"history.go(-1)\" "
    "style=\"width:75;height:25;z-index:100;font-style:normal;font-size:10pt;text-decoration:none;\">";

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return text;
}

}  // namespace

std::string ReportToHtml(const std::string& text) {
  std::string html = text;
  ReplaceAll(html, "&", "&amp;");
  ReplaceAll(html, "\"", "&quot;");
  ReplaceAll(html, "'", "&#039;");
  ReplaceAll(html, "<", "&lt;");
  ReplaceAll(html, ">", "&gt;");
  ReplaceAll(html, "  ", "&nbsp;&nbsp;");
  ReplaceAll(html, "\r\n", "<br>\r\n");
  return html;
}

std::string WithBackButton(const std::string& page) {
  return Lower(page).find(Lower(kBackButton)) == std::string::npos ? page + kBackButton : page;
}

}  // namespace tarvex
