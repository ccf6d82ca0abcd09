// The event exports a module carries to be told about the exceptions that
// happen in it: functions exported under these names with C linkage and the
// default calling convention, taking exactly the arguments of the handler of
// the same event in TTarvexEvents. The module must carry crash reporter data
// of a version this one reads (it is then built with a compatible library),
// for example:
//
//   extern "C" __declspec(dllexport) void TarvexLog_ExceptionNotifyEvent(
//       tarvex::TExceptionInfo& info, bool& handle);
#pragma once

namespace tarvex {

inline constexpr char kExceptionNotifyExport[] = "TarvexLog_ExceptionNotifyEvent";
inline constexpr char kHandledExceptionNotifyExport[] = "TarvexLog_HandledExceptionNotifyEvent";
inline constexpr char kExceptionActionNotifyExport[] = "TarvexLog_ExceptionActionNotifyEvent";
inline constexpr char kExceptionErrorNotifyExport[] = "TarvexLog_ExceptionErrorNotifyEvent";
inline constexpr char kCustomDataRequestExport[] = "TarvexLog_CustomDataRequestEventEx";
inline constexpr char kAttachedFilesRequestExport[] = "TarvexLog_AttachedFilesRequestEvent";
inline constexpr char kCustomWebFieldsRequestExport[] = "TarvexLog_CustomWebFieldsRequestEvent";
inline constexpr char kCustomButtonClickExport[] = "TarvexLog_CustomButtonClickEvent";

}  // namespace tarvex
