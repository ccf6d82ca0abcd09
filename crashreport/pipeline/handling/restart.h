// Ending the program after a handling, optionally starting it again.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvex {

// A new process group with normal priority.
inline constexpr uint32_t kRestartCreationFlags = 544;
inline constexpr uint32_t kTerminateExitCode = 1;

// The command line the restarted program gets: the program's own, without
// the development host's ".vshost" part.
std::string RestartCommandLine(std::string_view commandLine);

}  // namespace tarvex
