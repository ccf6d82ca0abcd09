// The exception being handled, as every event handler receives it.
#pragma once

#include <cstdint>
#include <string>

namespace rtl {
class Exception;
}

namespace tarvex {

struct TCaptureInfo;

struct TExceptionInfo {
  const rtl::Exception* Object = nullptr;  // nullptr: not an exception object of the runtime
  uint32_t Address = 0;                    // where it was raised
  uint32_t ThreadId = 0;                   // the thread that raised it
  bool Handled = false;                    // the program caught it and reports it at the end of its handler block
  std::string ExceptionId;                 // 4 hexadecimal digits, once the call stack is traced
  std::string Message;                     // the exception message of the report
  // What the raising thread captured (raise and output kind, context); only while the handling runs.
  const TCaptureInfo* Capture = nullptr;
};

// Codes of the action events, before and after each action of the handling.
enum TActionCode : uint8_t {
  acBeforeDialog = 0,
  acAfterDialog = 1,
  acBeforeSaveLog = 2,
  acAfterSaveLog = 3,
  acBeforeEmail = 4,
  acAfterEmail = 5,
  acBeforeWeb = 6,
  acAfterWeb = 7,
  acBeforeTerminate = 8,  // its flag is the terminate request: clearing it keeps the program running
};

// Codes of the error event: the action that failed.
enum TActionError : uint8_t {
  aeSaveLog = 3,
  aeEmail = 5,
  aeWeb = 7,
};

}  // namespace tarvex
