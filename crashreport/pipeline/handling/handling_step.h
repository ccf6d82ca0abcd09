// The step a handling has reached: written before each step, so that an
// internal error report names where the handling failed.
#pragma once

namespace tarvex {

enum THandlingStep : int {
  stStart = 1,                // time, snapshot of the threads, exception information
  stOptionsModule = 101,      // the module whose options apply
  stOptionsCopy = 102,        // its options copied into the current ones
  stOptionsMainProgram = 103, // the main program's options instead
  stDevelopmentHost = 104,
  stDefaults = 2,
  stFilters = 201,
  stSendDecision = 3,
  stCallStack = 4,
  stSuspendThreads = 5,
  stModulesLists = 6,
  stReport = 7,
  stReportCompose = 702,
  stDuplicateLookup = 703,
  stDuplicateCount = 704,
  stReportVariables = 705,
  stLastHtmlPage = 706,
  stScreenshotAndCustomData = 8,
  stExceptionCount = 9,
  stExceptionMessage = 10,
  stBeforeDialog = 11,
  stDialog = 12,
  stReproduceSteps = 13,
  stAfterDialog = 14,
  stClearOldLog = 15,
  stDelivery = 16,
  stAfterAction = 17,
  stEndDecision = 18,
};

}  // namespace tarvex
