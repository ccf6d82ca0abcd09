// The report builder over the running process: call stacks from the
// capture and the threads list, the modules and processes, the system facts.
#pragma once

#include <memory>

#include "crashreport/pipeline/handling/handling_services.h"

namespace tarvex {

// Every step catches its own failures: a fact that cannot be had prints empty.
std::unique_ptr<TReportBuilder> MakeLiveReportBuilder();

}  // namespace tarvex
