// What a call-stack block's thread line says about a thread, looked up in
// the threads list.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "crashreport/report/composer/report_facts.h"

namespace tarvex {

class TTarvexThreadsList;

struct ThreadLookup {
  TTarvexThreadsList* threads = nullptr;
  uint32_t mainThreadID = 0;
  // Reads a thread's priority from the system by its handle; empty when that fails.
  std::function<std::optional<int32_t>(uint32_t handle)> readPriority;
  // The class name of a thread object when it is a valid object, else empty.
  std::function<std::string(void* threadObject)> className;
};

// The record is copied under the list's read lock; a priority still unknown
// is read from the system and stored back under the write lock. A thread
// that is not listed has priority "??".
ThreadDetails DescribeThread(const ThreadLookup& lookup, uint32_t threadID);

// The lookup over the process's own threads list, with the system's priority
// reader; the thread objects' class names are left empty.
ThreadLookup ThisProcessThreadLookup(uint32_t mainThreadID);

}  // namespace tarvex
