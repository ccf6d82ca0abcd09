// tarvexinfo: prints every system fact that a bug report composed on this
// machine will contain, under the report's own section captions and labels.
#include <cstdio>
#include <string_view>

#include "crashreport/base/options/message_texts.h"
#include "crashreport/report/sysinfo/system_facts.h"
#include "process_lists.h"

namespace {

// A multi-line value (the privileges) continues under its first line.
void PrintItem(const char* label, std::string_view value) {
  std::printf("%s: ", label);
  const int indent = static_cast<int>(std::string_view(label).size()) + 2;
  for (bool first = true; first || !value.empty(); first = false) {
    const size_t end = value.find("\r\n");
    std::printf("%*s%.*s\n", first ? 0 : indent, "", static_cast<int>(value.substr(0, end).size()), value.data());
    value.remove_prefix(end == std::string_view::npos ? value.size() : end + 2);
  }
}

}  // namespace

int main() {
  using namespace tarvex;
  const SystemFacts facts = GatherSystemFacts(ThisSystem());
  bool firstSection = true;
  for (const SystemFactSection& section : ReportOrder(facts)) {
    std::printf("%s%s:\n", firstSection ? "" : "\n", kDefaultMessageTexts[section.captionText]);
    firstSection = false;
    for (const SystemFactItem& item : section.items) PrintItem(kDefaultMessageTexts[item.labelText], *item.value);
  }
  tarvex::info::PrintModulesList();
  tarvex::info::PrintProcessesList();
  return 0;
}
