// Enumerations and set members of the crash reporter's options.
// Set members are bit values of the set they belong to (two-letter prefix).
#pragma once

#include <cstdint>

namespace tarvex {

enum TTarvexDetailTab : uint8_t { dtGeneral, dtCallStack, dtModules, dtProcesses, dtAssembler, dtCpu };
enum TTarvexTerminateAction : uint8_t { taNone, taTerminate, taRestart };
enum TTarvexMailDelivery : uint8_t { mdNone, mdMailClient, mdSMTPRelay, mdDirectMX };
enum TTarvexWebDelivery : uint8_t { wdNone, wdHTTP, wdHTTPS, wdFTP, wdBugzilla, wdFogBugz, wdMantis };
enum TTarvexDialogKind : uint8_t { dkNone, dkMessageBox, dkSimple, dkDetailed };

// LogFlags
inline constexpr uint8_t lfSkipDuplicates = 0x01;
inline constexpr uint8_t lfAskReproduceSteps = 0x02;
inline constexpr uint8_t lfClearLogOnNewVersion = 0x04;
inline constexpr uint8_t lfComputerNameInLogName = 0x08;
inline constexpr uint8_t lfSaveModuleSections = 0x10;
inline constexpr uint8_t lfSaveCpuSections = 0x20;

// SendFlags
inline constexpr uint16_t sfShowProgressWindow = 0x0001;
inline constexpr uint16_t sfShowDeliveryResult = 0x0002;
inline constexpr uint16_t sfSendWholeLog = 0x0004;
inline constexpr uint16_t sfIncludeXMLReport = 0x0008;
inline constexpr uint16_t sfIncludeScreenshot = 0x0010;
inline constexpr uint16_t sfScreenshotForegroundOnly = 0x0020;
inline constexpr uint16_t sfIncludeLastHTMLPage = 0x0040;
inline constexpr uint16_t sfDeliverInBackground = 0x0080;
inline constexpr uint16_t sfTagFilesWithDate = 0x0100;
inline constexpr uint16_t sfTagFilesWithComputer = 0x0200;

// DialogFlags: the first option byte in the low bits, the second above it.
inline constexpr uint16_t dfSendChecked = 0x0001;        // the detailed dialog's send box starts checked
inline constexpr uint16_t dfScreenshotChecked = 0x0002;  // its screenshot box starts checked
inline constexpr uint16_t dfOfferCopy = 0x0004;          // offer copying the report to the clipboard
inline constexpr uint16_t dfDetailsLink = 0x0008;
inline constexpr uint16_t dfStartExpanded = 0x0010;  // the detailed dialog opens expanded
inline constexpr uint16_t dfTopmost = 0x0020;
inline constexpr uint16_t dfOwnDialogLook = 0x0040;  // flat look with a small caption
inline constexpr uint16_t dfOfferSending = 0x0080;
inline constexpr uint16_t dfOfferScreenshot = 0x0100;
inline constexpr uint16_t dfCustomButton = 0x0200;

// CallStackFlags
inline constexpr uint8_t csShowLibraryEntries = 0x01;
inline constexpr uint8_t csShowPackageEntries = 0x02;
inline constexpr uint8_t csTraceRuntimeThreads = 0x04;
inline constexpr uint8_t csTraceSystemThreads = 0x08;
inline constexpr uint8_t csNoProcedureNames = 0x10;

// BehaviourFlags
inline constexpr uint16_t bfPauseRuntimeThreads = 0x0001;
inline constexpr uint16_t bfKeepMainThreadRunning = 0x0002;
inline constexpr uint16_t bfPauseSystemThreads = 0x0004;
inline constexpr uint16_t bfMainProgramOptions = 0x0008;
inline constexpr uint16_t bfClipboardOnFailure = 0x0010;
inline constexpr uint16_t bfSaveArchiveOnFailure = 0x0020;
inline constexpr uint16_t bfReportSafeCallExceptions = 0x0040;
inline constexpr uint16_t bfAlsoStandardHandling = 0x0080;
inline constexpr uint16_t bfReportCaughtExceptions = 0x0100;

// LeakFlags (also header byte 14 of the embedded data)
inline constexpr uint8_t lkTrackLeaks = 0x01;
inline constexpr uint8_t lkRemoveLeaksSons = 0x02;
inline constexpr uint8_t lkPurgeInvalidLeaks = 0x04;
inline constexpr uint8_t lkFreeAllLeaks = 0x08;
inline constexpr uint8_t lkReportOverruns = 0x10;

// ReportFields: bit n gates item n of the report's general section.
inline constexpr int kReportFieldCount = 48;
inline constexpr uint64_t kAllReportFields = (uint64_t{1} << kReportFieldCount) - 1;

}  // namespace tarvex
