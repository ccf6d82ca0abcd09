// What the raising thread captures for the handling.
#pragma once

#include <cstdint>
#include <string>

#include "crashreport/pipeline/handling/handling_choice.h"

namespace rtl {
class Exception;
}

namespace tarvex {

// Where the report goes.
enum TOutputKind : uint8_t {
  okAutomatic = 0,    // web error page, standard output of a console program, else the dialog
  okApplication = 1,  // standard output of a console program, else the dialog
  okWebPage = 2,      // the error page of a web server application
};

struct TCaptureInfo {
  const rtl::Exception* Object = nullptr;
  uint32_t Address = 0;
  bool Handled = false;
  TRaiseKind RaiseKind = rkUncaught;
  TOutputKind OutputKind = okAutomatic;
  const void* Context = nullptr;   // the raising thread's CPU context record (204 bytes); nullptr: the saved one
  const void* OsRecord = nullptr;  // the operating system's exception record (80 bytes); nullptr: the saved one
  uint32_t StackPointer = 0;
  uint32_t StackBase = 0;
  uint32_t ThreadId = 0;
  uint32_t Module = 0;  // the module the entry's caller named (0: none); the options come from it when the address lies in no module with options
  bool StackOverflow = false;
  bool Inline = false;  // handled on the raising thread itself, not on a handler thread
  std::string FocusClass, FocusText;
};

}  // namespace tarvex
