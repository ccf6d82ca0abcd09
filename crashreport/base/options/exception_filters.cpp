#include "crashreport/base/options/exception_filters.h"

#include <algorithm>

#include "crashreport/base/options/options.h"
#include "rtl/exception.h"

namespace tarvex {
namespace {

bool ScopeAdmits(TTarvexFilterScope scope, bool handledByProgram) {
  switch (scope) {
    case fsHandledExceptions: return handledByProgram;
    case fsUnhandledExceptions: return !handledByProgram;
    default: return true;
  }
}

bool Matches(const TTarvexExceptionFilter& filter, const rtl::Exception& e, bool handledByProgram) {
  if (const auto* wrapper = dynamic_cast<const rtl::TActiveXException*>(&e)) {
    const auto& names = wrapper->ClassNames();
    return std::find(names.begin(), names.end(), filter.ClassName) != names.end();
  }
  return ScopeAdmits(filter.Scope, handledByProgram) && e.InheritsFrom(filter.ClassName);
}

}  // namespace

TTarvexExceptionFilter& TTarvexExceptionsFilters::Add(TTarvexExceptionFilter filter) {
  items_.push_back(std::move(filter));
  owner_.Changed();
  return items_.back();
}

void TTarvexExceptionsFilters::Delete(size_t index) {
  if (index >= items_.size()) return;
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
  owner_.Changed();
}

void TTarvexExceptionsFilters::Clear() {
  items_.clear();
  owner_.Changed();
}

void TTarvexExceptionsFilters::Assign(const TTarvexExceptionsFilters& other) {
  if (&other == this) return;
  OptionsUpdate update(owner_);
  Clear();
  for (const TTarvexExceptionFilter& filter : other.items_) Add(filter);
}

const TTarvexExceptionFilter* TTarvexExceptionsFilters::Match(const rtl::Exception& e,
                                                              bool handledByProgram) const {
  for (const TTarvexExceptionFilter& filter : items_)
    if (filter.Enabled && Matches(filter, e, handledByProgram)) return &filter;
  return nullptr;
}

}  // namespace tarvex
