// The 158 customisable texts of the crash reporter, looked up by index.
#pragma once

#include <array>

namespace tarvex {

inline constexpr int kMessageTextCount = 158;

// The index of each text, named after its English default (kDefaultMessageTexts
// carries the same numbers beside the texts); a word that stands for several
// texts carries the name of its group (mtExceptionID, mtUserID, mtThreadID,
// mtProcessID). Call sites name a text, never its number.
enum TMessageText : int {
  // Message box captions
  mtInformation = 0,
  mtQuestion = 1,
  mtError = 2,
  // Exception dialogs: caption, heading, tab pages and their captions
  mtErrorOccurred = 3,
  mtErrorDuringExecution = 4,
  mtGeneral = 5,
  mtGeneralInformation = 6,
  mtCallStack = 7,
  mtCallStackInformation = 8,
  mtModules = 9,
  mtModulesInformation = 10,
  mtProcesses = 11,
  mtProcessesInformation = 12,
  mtAssembler = 13,
  mtAssemblerInformation = 14,
  mtCPU = 15,
  mtCPUInformation = 16,
  // Exception dialogs: buttons, boxes and the support link
  mtOk = 17,
  mtTerminate = 18,
  mtRestart = 19,
  mtDetails = 20,
  mtHelp = 21,
  mtSendThisError = 22,
  mtAttachScreenshot = 23,
  mtCopyToClipboard = 24,
  mtGoToSupportPage = 25,
  // Simple dialog
  mtEncounteredProblem = 26,
  mtRestartApplication = 27,
  mtTerminateApplication = 28,
  mtTellUsAboutProblem = 29,
  mtCreatedErrorReport = 30,
  mtSeeReportContents = 31,
  mtClickHere = 32,
  mtWhatWereYouDoing = 33,
  mtEmailAddress = 34,
  mtSendErrorReport = 35,
  mtDontSend = 36,
  // Report: Application
  mtApplication = 37,
  mtStartDate = 38,
  mtNameDescription = 39,
  mtVersionNumber = 40,
  mtParameters = 41,
  mtCompilationDate = 42,
  mtUpTime = 43,
  // Report: Exception
  mtException = 44,
  mtExceptionDate = 45,
  mtExceptionAddress = 46,
  mtExceptionModuleName = 47,
  mtExceptionModuleVersion = 48,
  mtExceptionType = 49,
  mtExceptionMessage = 50,
  mtExceptionID = 51,
  mtExceptionCount = 52,
  mtExceptionStatus = 53,
  mtExceptionNote = 54,
  // Report: User
  mtUser = 55,
  mtUserID = 56,
  mtUserName = 57,
  mtUserEmail = 58,
  mtUserCompany = 59,
  mtUserPrivileges = 60,
  // Report: Active Controls
  mtActiveControls = 61,
  mtFormClass = 62,
  mtFormText = 63,
  mtControlClass = 64,
  mtControlText = 65,
  // Report: Computer
  mtComputer = 66,
  mtComputerName = 67,
  mtTotalMemory = 68,
  mtFreeMemory = 69,
  mtTotalDisk = 70,
  mtFreeDisk = 71,
  mtSystemUpTime = 72,
  mtProcessor = 73,
  mtDisplayMode = 74,
  mtDisplayDPI = 75,
  mtVideoCard = 76,
  mtPrinter = 77,
  // Report: Operating System
  mtOperatingSystem = 78,
  mtOsType = 79,
  mtOsBuild = 80,
  mtOsUpdate = 81,
  mtOsLanguage = 82,
  mtOsCharset = 83,
  // Report: Network
  mtNetwork = 84,
  mtIPAddress = 85,
  mtSubmask = 86,
  mtGateway = 87,
  mtDNS1 = 88,
  mtDNS2 = 89,
  mtDHCP = 90,
  // Report: the custom data section
  mtCustomInformation = 91,
  // Call stack columns
  mtStackAddress = 92,
  mtStackModule = 93,
  mtStackUnit = 94,
  mtStackClass = 95,
  mtStackProcedure = 96,
  mtStackLine = 97,
  // Call stack: thread lines
  mtMainThread = 98,
  mtExceptionThread = 99,
  mtRunningThread = 100,
  mtCallingThread = 101,
  mtThreadID = 102,
  mtThreadPriority = 103,
  mtThreadClass = 104,
  // Call stack: leak lines
  mtMemoryLeak = 105,
  mtLeakData = 106,
  mtLeakType = 107,
  mtLeakTotalSize = 108,
  mtLeakCount = 109,
  // Send dialog and delivery progress
  mtSend = 110,
  mtMessage = 111,
  mtResolvingDNS = 112,
  mtLogin = 113,
  mtConnecting = 114,
  mtConnected = 115,
  mtSendingMessage = 116,
  mtMessageSent = 117,
  mtSelectProject = 118,
  mtSearching = 119,
  mtModifying = 120,
  mtDisconnecting = 121,
  mtDisconnected = 122,
  // Request dialog (the steps to reproduce)
  mtRequest = 123,
  mtDescribeSteps = 124,
  mtRequestOk = 125,
  // Modules list columns
  mtModuleHandle = 126,
  mtModuleName = 127,
  mtModuleDescription = 128,
  mtModuleVersion = 129,
  mtModuleSize = 130,
  mtModuleModified = 131,
  mtModulePath = 132,
  // Processes list columns
  mtProcessID = 133,
  mtProcessName = 134,
  mtProcessDescription = 135,
  mtProcessVersion = 136,
  mtProcessMemory = 137,
  mtProcessPriority = 138,
  mtProcessThreads = 139,
  mtProcessPath = 140,
  // CPU block
  mtRegisters = 141,
  mtStack = 142,
  mtMemoryDump = 143,
  // Delivery results
  mtSentSuccessfully = 144,
  mtSendingFailed = 145,
  mtBugClosed = 146,
  mtUnknownError = 147,
  mtInvalidLogin = 148,
  mtInvalidSearch = 149,
  mtInvalidSelection = 150,
  mtInvalidInsert = 151,
  mtInvalidModify = 152,
  mtReserved = 153,  // empty
  // Leak kinds and freezes
  mtMultiFreeLeak = 154,
  mtOverrunLeak = 155,
  mtApplicationFrozen = 156,
  // Simple dialog: the e-mail check
  mtInvalidEmail = 157,
};
static_assert(mtInvalidEmail + 1 == kMessageTextCount);

// The English defaults, by TMessageText; mtReserved is empty.
extern const std::array<const char*, kMessageTextCount> kDefaultMessageTexts;

// Replacements of mtEncounteredProblem and mtRestartApplication while the
// host program is the development environment.
extern const char* const kDevelopmentHostEncounteredProblem;
extern const char* const kDevelopmentHostRestartApplication;

}  // namespace tarvex
