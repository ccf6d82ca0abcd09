// Which loaded module holds an address, its file name, and whether the
// program is the development environment.
#pragma once

#include <cstdint>
#include <string>

namespace tarvex {

// The load address of the module that holds `address`, without taking a
// reference on it; 0 when the address lies in no module.
uint32_t ModuleHandleOf(uint32_t address);
// The module that holds `code`: for a function of the crash reporter, the
// program or the library that carries it.
uint32_t ModuleHandleOf(const void* code);

// The full file name of the module loaded at `handle` (0: the program);
// empty when the system does not know it.
std::string ModuleFileName(uint32_t handle);

// The host executable is the development environment (its file name is "BDS.EXE").
bool HostIsDevelopmentEnvironment();

}  // namespace tarvex
