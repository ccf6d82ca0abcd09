// The options file: a module's crash reporter options as readable text, kept
// in the repository and compiled into the module's embedded data.
//
//   # comment (also ';')
//   [Options]                      the record's fields, by name
//   DialogKind = dkDetailed        enumerations by value name (or number)
//   LogFlags = SkipDuplicates, 5   sets: member names or bit numbers; "all"; empty = none
//   FreezeWatch = true             bools: true / false
//   MailServerPort = 587           integers in decimal
//   MailRecipients = "a@b.test"    texts in double quotes; \\ \" \r \n \t \xHH
//   Text[26] = "..."               message texts by index 0..157
//   [Filter]                       one exception filter per section, in order
//   ClassName = "EAbort"
//   [Container]                    settings of the container header
//   LeakOptionsFromMainModule = true
//
// Omitted keys keep their defaults; an empty file means all defaults.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "crashreport/base/options/options.h"

namespace tarvex::tool {

struct ContainerSettings {
  bool leakOptionsFromMainModule = false;
  friend bool operator==(const ContainerSettings&, const ContainerSettings&) = default;
};

// Parses `text` into `options` (reset to defaults first) and `container`.
// Raises std::runtime_error "<fileName>:<line>: <problem>" on an unknown
// section or key, a repeated key or a bad value.
void ParseOptionsFile(std::string_view text, const std::string& fileName, TTarvexModuleOptions& options,
                      ContainerSettings& container);

// The options in the file format: only what differs from the defaults, or
// every field with `all`. Parsing the result gives the same options back.
std::string FormatOptionsFile(const TTarvexModuleOptions& options, const ContainerSettings& container,
                              bool all = false);

}  // namespace tarvex::tool
