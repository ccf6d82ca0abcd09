// The point where no handler will catch a C++ exception: with table-driven
// unwinding the search for a handler fails before anything is unwound, and
// std::terminate runs on the raising thread's intact stack.
#pragma once

namespace tarvex {

// Installs the terminate handler: the exception in flight reaches the
// installed front door (SetInterceptionTarget) with rkUncaught and
// okAutomatic, unless the raise notification reported it already; then the thread
// ends, and in the main thread the program with exit code 1. Uninstall puts
// the previous handler back.
void InstallTerminatePoint();
void UninstallTerminatePoint();

}  // namespace tarvex
