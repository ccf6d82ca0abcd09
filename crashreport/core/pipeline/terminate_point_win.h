// The point where no handler will catch a C++ exception: with table-driven
// unwinding the search for a handler fails before anything is unwound, and
// std::terminate runs on the raising thread's intact stack.
#pragma once

namespace tarvex {

class TExceptionProcessor;
struct TFrontDoorState;

// Installs the terminate handler: the exception in flight reaches the front
// door with raise kind 0 and output kind 0; then the thread ends, and in the
// main thread the program with exit code 1. Uninstall puts the previous handler back.
void InstallTerminatePoint(TExceptionProcessor& processor, const TFrontDoorState& state);
void UninstallTerminatePoint();

}  // namespace tarvex
