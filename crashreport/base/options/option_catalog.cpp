#include "crashreport/base/options/option_catalog.h"

#include <array>
#include <limits>
#include <vector>

namespace tarvex {
namespace {

constexpr std::array<const char*, 6> kDetailTabNames = {"dtGeneral", "dtCallStack", "dtModules",
                                                        "dtProcesses", "dtAssembler", "dtCpu"};
constexpr std::array<const char*, 3> kTerminateActionNames = {"taNone", "taTerminate", "taRestart"};
constexpr std::array<const char*, 4> kMailDeliveryNames = {"mdNone", "mdMailClient", "mdSMTPRelay", "mdDirectMX"};
constexpr std::array<const char*, 7> kWebDeliveryNames = {"wdNone",     "wdHTTP",     "wdHTTPS",  "wdFTP",
                                                          "wdBugzilla", "wdFogBugz",  "wdMantis"};
constexpr std::array<const char*, 4> kDialogKindNames = {"dkNone", "dkMessageBox", "dkSimple", "dkDetailed"};
constexpr std::array<const char*, 6> kLogFlagNames = {"SkipDuplicates",        "AskReproduceSteps",
                                                      "ClearLogOnNewVersion",  "ComputerNameInLogName",
                                                      "SaveModuleSections",    "SaveCpuSections"};
constexpr std::array<const char*, 10> kSendFlagNames = {
    "ShowProgressWindow", "ShowDeliveryResult",        "SendWholeLog",        "IncludeXMLReport",
    "IncludeScreenshot",  "ScreenshotForegroundOnly",  "IncludeLastHTMLPage", "DeliverInBackground",
    "TagFilesWithDate",   "TagFilesWithComputer"};
constexpr std::array<const char*, 8> kDialogFlagNames = {nullptr, nullptr, nullptr,         nullptr,
                                                         nullptr, nullptr, "OwnDialogLook", "OfferSending"};
constexpr std::array<const char*, 5> kCallStackFlagNames = {"ShowLibraryEntries", "ShowPackageEntries",
                                                            "TraceRuntimeThreads", "TraceSystemThreads",
                                                            "NoProcedureNames"};
constexpr std::array<const char*, 9> kBehaviourFlagNames = {
    "PauseRuntimeThreads", "KeepMainThreadRunning",    "PauseSystemThreads",
    "MainProgramOptions",  "ClipboardOnFailure",       "SaveArchiveOnFailure",
    "ReportSafeCallExceptions", "AlsoStandardHandling", "ReportCaughtExceptions"};
constexpr std::array<const char*, 5> kLeakFlagNames = {"TrackLeaks", "RemoveLeaksSons", "PurgeInvalidLeaks",
                                                       "FreeAllLeaks", "ReportOverruns"};
constexpr std::array<const char*, kReportFieldCount> kReportFieldNames = {
    "Application|Start Date",        "Application|Name",
    "Application|Version Number",    "Application|Parameters",
    "Application|Compilation Date",  "Application|Up Time",
    "Exception|Date",                "Exception|Address",
    "Exception|Module Name",         "Exception|Module Version",
    "Exception|Type",                "Exception|Message",
    "Exception|ID",                  "Exception|Count",
    "Exception|Status",              "Exception|Note",
    "User|ID",                       "User|Name",
    "User|Email",                    "User|Privileges",
    "User|Company",                  "Active Controls|Form Class",
    "Active Controls|Form Text",     "Active Controls|Control Class",
    "Active Controls|Control Text",  "Computer|Name",
    "Computer|Total Memory",         "Computer|Free Memory",
    "Computer|Total Disk",           "Computer|Free Disk",
    "Computer|System Up Time",       "Computer|Processor",
    "Computer|Display Mode",         "Computer|Display DPI",
    "Computer|Video Card",           "Computer|Printer",
    "Operating System|Type",         "Operating System|Build #",
    "Operating System|Update",       "Operating System|Language",
    "Operating System|Charset",      "Network|IP Address",
    "Network|Submask",               "Network|Gateway",
    "Network|DNS 1",                 "Network|DNS 2",
    "Network|DHCP",                  "Custom Data|All"};

std::span<const char* const> ValueNames(std::string_view field) {
  struct Entry {
    std::string_view field;
    std::span<const char* const> names;
  };
  static const Entry kEntries[] = {
      {"LogFlags", kLogFlagNames},           {"FirstDetailTab", kDetailTabNames},
      {"TerminateAction", kTerminateActionNames}, {"MailDelivery", kMailDeliveryNames},
      {"ReportFields", kReportFieldNames},   {"WebDelivery", kWebDeliveryNames},
      {"SendFlags", kSendFlagNames},         {"DialogFlags", kDialogFlagNames},
      {"CallStackFlags", kCallStackFlagNames}, {"BehaviourFlags", kBehaviourFlagNames},
      {"LeakFlags", kLeakFlagNames},         {"CrashBurstAction", kTerminateActionNames},
      {"DialogKind", kDialogKindNames},
  };
  for (const Entry& e : kEntries)
    if (e.field == field) return e.names;
  return {};
}

template <typename Type, typename Get, typename Set>
OptionFieldInfo MakeField(const char* name, OptionKind kind) {
  OptionFieldInfo info{name, kind, ValueNames(name), nullptr, nullptr, nullptr, nullptr};
  if constexpr (std::is_same_v<Type, std::string>) {
    info.getString = [](const TTarvexModuleOptions& o) -> const std::string& { return Get{}(o); };
    info.setString = [](TTarvexModuleOptions& o, std::string v) { Set{}(o, std::move(v)); };
  } else {
    info.getNumber = [](const TTarvexModuleOptions& o) { return static_cast<int64_t>(Get{}(o)); };
    info.setNumber = [](TTarvexModuleOptions& o, int64_t v) { Set{}(o, static_cast<Type>(v)); };
  }
  return info;
}

const std::vector<OptionFieldInfo>& Catalog() {
  static const std::vector<OptionFieldInfo> fields = {
#define TARVEX_CATALOG_FIELD(Name, Type, Kind, Default, Setter)                                           \
  MakeField<Type, decltype([](const TTarvexModuleOptions& o) -> const Type& { return o.Name(); }),     \
            decltype([](TTarvexModuleOptions& o, Type v) { o.Set##Name(std::move(v)); })>(#Name,     \
                                                                                          OptionKind::Kind),
      TARVEX_OPTION_FIELDS(TARVEX_CATALOG_FIELD)
#undef TARVEX_CATALOG_FIELD
  };
  return fields;
}

}  // namespace

const std::array<const char*, 3> kFilterScopeNames = {"fsAnyException", "fsHandledExceptions",
                                                      "fsUnhandledExceptions"};
const std::array<const char*, 5> kFilterDialogNames = {"fdNone", "fdOptionsDialog", "fdMessageBox",
                                                       "fdSimpleDialog", "fdDetailedDialog"};
const std::array<const char*, 3> kFilterHandlingNames = {"fhIgnore", "fhStandard", "fhTarvexLog"};
const std::array<const char*, 3> kFilterAfterActionNames = {"faNone", "faTerminate", "faRestart"};

std::span<const OptionFieldInfo> OptionFields() { return Catalog(); }

const OptionFieldInfo* FindOptionField(std::string_view name) {
  for (const OptionFieldInfo& field : Catalog())
    if (name == field.name) return &field;
  return nullptr;
}

int SetWidth(OptionKind kind) {
  switch (kind) {
    case OptionKind::Set8: return 8;
    case OptionKind::Set16: return 16;
    case OptionKind::Set48: return 48;
    default: return 0;
  }
}

int64_t KindMaximum(OptionKind kind, size_t valueNameCount) {
  switch (kind) {
    case OptionKind::Bool: return 1;
    case OptionKind::Enum8: return static_cast<int64_t>(valueNameCount) - 1;
    case OptionKind::Int32: return std::numeric_limits<int32_t>::max();
    case OptionKind::UInt16: return 0xFFFF;
    default: return (int64_t{1} << SetWidth(kind)) - 1;
  }
}

int64_t KindMinimum(OptionKind kind) {
  return kind == OptionKind::Int32 ? std::numeric_limits<int32_t>::min() : 0;
}

}  // namespace tarvex
