#include "crashreport/pipeline/handling/exception_events.h"

#include <algorithm>

namespace tarvex {

void TEventRoute::Register(const TTarvexEvents* component) {
  if (component != nullptr && std::find(components_.begin(), components_.end(), component) == components_.end())
    components_.push_back(component);
}

void TEventRoute::Unregister(const TTarvexEvents* component) {
  std::erase(components_, component);
}

std::vector<const TTarvexEvents*> TEventRoute::Order() const {
  std::vector<const TTarvexEvents*> order;
  if (moduleEvents_ != nullptr) order.push_back(moduleEvents_);
  order.insert(order.end(), components_.rbegin(), components_.rend());
  order.push_back(&variables_);
  return order;
}

void TEventRoute::Run(const std::function<void()>& call) const {
  auto guarded = [&call] {
    try {
      call();
    } catch (...) {
      // A failing event handler must not end the handling.
    }
  };
  if (runner_)
    runner_(guarded);
  else
    guarded();
}

bool TEventRoute::Notify(TExceptionInfo& info, bool handled) const {
  bool handle = true;
  Raise(handled ? &TTarvexEvents::OnHandledExceptionNotify : &TTarvexEvents::OnExceptionNotify, info, handle);
  return handle;
}

bool TEventRoute::Action(TExceptionInfo& info, TActionCode code, bool goOn) const {
  Raise(&TTarvexEvents::OnExceptionActionNotify, info, code, goOn);
  return goOn;
}

bool TEventRoute::Retry(TExceptionInfo& info, TActionError code) const {
  bool retry = false;
  Raise(&TTarvexEvents::OnExceptionErrorNotify, info, code, retry);
  return retry;
}

}  // namespace tarvex
