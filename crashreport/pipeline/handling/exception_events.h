// The events a handling raises, and where they go: the exports of the
// module the exception happened in, every registered event component (the
// last registered first), then the process-wide procedure variables. Only
// assigned handlers are called.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "crashreport/pipeline/handling/exception_info.h"

namespace tarvex {

using TStrings = std::vector<std::string>;

// One set of handlers: an event component, a module's event exports, or the procedure variables.
struct TTarvexEvents {
  std::function<void(TExceptionInfo&, bool& handle)> OnExceptionNotify;
  std::function<void(TExceptionInfo&, bool& handle)> OnHandledExceptionNotify;
  std::function<void(TExceptionInfo&, TActionCode, bool& goOn)> OnExceptionActionNotify;
  std::function<void(TExceptionInfo&, TActionError, bool& retry)> OnExceptionErrorNotify;
  std::function<void(TExceptionInfo&, TStrings& lines)> OnCustomDataRequest;
  std::function<void(TExceptionInfo&, TStrings& files)> OnAttachedFilesRequest;
  std::function<void(TExceptionInfo&, TStrings& fields)> OnCustomWebFieldsRequest;
  std::function<void(TExceptionInfo&)> OnCustomButtonClick;
};

// Runs one event call where events must run (the raising thread while a
// handling is going on). The call never throws.
using TEventRunner = std::function<void(const std::function<void()>&)>;

class TEventRoute {
 public:
  // Components are called from the last registered to the first.
  void Register(const TTarvexEvents* component);
  void Unregister(const TTarvexEvents* component);
  TTarvexEvents& ProcedureVariables() { return variables_; }

  // The events of the exception's module, asked first; nullptr: none.
  void SetModuleEvents(const TTarvexEvents* events) { moduleEvents_ = events; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  void SetRunner(TEventRunner runner) { runner_ = std::move(runner); }

  // Calls the member `slot` of every handler set that has it assigned, each
  // through the runner; an exception from a handler is swallowed.
  template <class Slot, class... Args>
  void Raise(Slot TTarvexEvents::*slot, Args&... args) const {
    if (!enabled_) return;
    for (const TTarvexEvents* events : Order()) {
      const Slot& handler = events->*slot;
      if (handler) Run([&] { handler(args...); });
    }
  }

  // The handle flag after the notify event (`handled` picks the handled variant).
  bool Notify(TExceptionInfo& info, bool handled) const;
  // The go-on flag after the action event.
  bool Action(TExceptionInfo& info, TActionCode code, bool goOn = true) const;
  // Whether a handler asked to run the failed action again.
  bool Retry(TExceptionInfo& info, TActionError code) const;

 private:
  std::vector<const TTarvexEvents*> Order() const;
  void Run(const std::function<void()>& call) const;

  std::vector<const TTarvexEvents*> components_;
  TTarvexEvents variables_;
  const TTarvexEvents* moduleEvents_ = nullptr;
  TEventRunner runner_;
  bool enabled_ = true;
};

}  // namespace tarvex
