// The kernel32 routines the crash reporter takes over in the import tables
// of every loaded module (real import-table patching, undone at uninstall):
//   RaiseException  language exceptions (code 0x0EEDFADE) get the raise notification
//   RtlUnwind       a stack copy before the unwind of an operating system error
//                   (codes above 0xC0000004 up to 0xC000013A, unwinding flag 2)
//   WriteFile       in a CGI program, what goes to standard output is kept as the last HTML page
//   CreateThread    the body runs inside the thread start wrapper; the thread is listed
//   ResumeThread    the resuming thread's stack is kept in the thread's entry
//   ExitThread      the thread leaves the list
#pragma once

#include <string>
#include <vector>

namespace tarvex {

inline constexpr const char* kHookedKernel32Routines[] = {"RaiseException", "RtlUnwind",   "WriteFile",
                                                          "CreateThread",   "ResumeThread", "ExitThread"};

// Patches every loaded module that imports a routine of the list from
// kernel32.dll. True when at least one entry was patched. Never throws.
bool InstallKernel32Hooks();
void UninstallKernel32Hooks();

// The routine that the import tables call instead of kernel32's `routine`
// (nullptr for a name not in the list).
void* Kernel32Replacement(const std::string& routine);

// What a CGI program wrote to its standard output so far.
std::string LastHtmlPage();

}  // namespace tarvex
