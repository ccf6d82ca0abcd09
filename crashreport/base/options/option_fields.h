// The scalar fields of the crash reporter's options, in the order of the
// option stream: X(Name, C++ type, stream kind, default, setter).
// The setter column is PlainSetter for the generated "store and notify"
// setter, OwnSetter when the class writes its own, VirtualSetter for the
// setters that are virtual slots of the class.
#pragma once

#define TARVEX_OPTION_FIELDS(X)                                                  \
  X(LogSwitch, bool, Bool, false, PlainSetter)                                   \
  X(UseExceptionFilters, bool, Bool, true, PlainSetter)                          \
  X(LogFlags, uint8_t, Set8, 0x30, PlainSetter)                                  \
  X(AppendReportToMessage, bool, Bool, false, PlainSetter)                       \
  X(WriteLog, bool, Bool, true, PlainSetter)                                     \
  X(FirstDetailTab, TTarvexDetailTab, Enum8, dtGeneral, PlainSetter)             \
  X(FreezeWatch, bool, Bool, false, VirtualSetter)                               \
  X(FreezeSeconds, int32_t, Int32, 60, PlainSetter)                              \
  X(SenderAddress, std::string, String, kDefaultSenderAddress, PlainSetter)      \
  X(MailServer, std::string, String, "", PlainSetter)                            \
  X(MailServerPort, uint16_t, UInt16, 25, PlainSetter)                           \
  X(MailServerLogin, std::string, String, "", PlainSetter)                       \
  X(MailServerPassword, std::string, String, "", PlainSetter)                    \
  X(TerminateAction, TTarvexTerminateAction, Enum8, taRestart, PlainSetter)      \
  X(MaxLoggedReports, int32_t, Int32, 32, OwnSetter)                             \
  X(TerminateButtonAfter, int32_t, Int32, 3, PlainSetter)                        \
  X(MailRecipients, std::string, String, "", PlainSetter)                        \
  X(MessageSubject, std::string, String, "", PlainSetter)                        \
  X(MailDelivery, TTarvexMailDelivery, Enum8, mdNone, PlainSetter)               \
  X(ReportFields, uint64_t, Set48, kAllReportFields, PlainSetter)                \
  X(LogFilePath, std::string, String, "", PlainSetter)                           \
  X(WebDelivery, TTarvexWebDelivery, Enum8, wdNone, PlainSetter)                 \
  X(WebAddress, std::string, String, "", PlainSetter)                            \
  X(WebLogin, std::string, String, "", PlainSetter)                              \
  X(WebLoginPassword, std::string, String, "", PlainSetter)                      \
  X(WebServerPort, int32_t, Int32, 0, PlainSetter)                               \
  X(ExtraAttachments, std::string, String, "", PlainSetter)                      \
  X(SendFlags, uint16_t, Set16, 0x51, PlainSetter)                               \
  X(DialogFlags, uint16_t, Set16, 0x18F, PlainSetter)                            \
  X(DialogAutoCloseSeconds, int32_t, Int32, 0, PlainSetter)                      \
  X(SupportPageAddress, std::string, String, "", PlainSetter)                    \
  X(ErrorPageTemplate, std::string, String, kDefaultErrorPageTemplate, PlainSetter) \
  X(CallStackFlags, uint8_t, Set8, 0x0F, PlainSetter)                            \
  X(BehaviourFlags, uint16_t, Set16, 0x58, PlainSetter)                          \
  X(LeakFlags, uint8_t, Set8, 0x1E, PlainSetter)                                 \
  X(CrashBurstAction, TTarvexTerminateAction, Enum8, taRestart, PlainSetter)     \
  X(CrashBurstCount, int32_t, Int32, 10, PlainSetter)                            \
  X(CrashBurstMinutes, int32_t, Int32, 1, PlainSetter)                           \
  X(BuildFlags, uint8_t, Set8, 0x01, PlainSetter)                                \
  X(DialogKind, TTarvexDialogKind, Enum8, dkSimple, PlainSetter)                 \
  X(ProxyServer, std::string, String, "", PlainSetter)                           \
  X(ProxyLogin, std::string, String, "", PlainSetter)                            \
  X(ProxyLoginPassword, std::string, String, "", PlainSetter)                    \
  X(ProxyServerPort, uint16_t, UInt16, 8080, PlainSetter)                        \
  X(TrackerLogin, std::string, String, "", PlainSetter)                          \
  X(TrackerLoginPassword, std::string, String, "", PlainSetter)                  \
  X(TrackerAssignee, std::string, String, "", PlainSetter)                       \
  X(TrackerProjectName, std::string, String, "", PlainSetter)                    \
  X(TrackerCategoryName, std::string, String, "", PlainSetter)                   \
  X(TrackerTrialNumber, std::string, String, "", PlainSetter)                    \
  X(ArchivePassword, std::string, String, "", PlainSetter)

// Strings that are not carried by the option stream but copied with the options.
#define TARVEX_UNSTREAMED_STRING_FIELDS(X) \
  X(BuildCommandBefore)                    \
  X(BuildCommandAfterSuccess)              \
  X(BuildCommandAfterFailure)              \
  X(ReproductionSteps)
