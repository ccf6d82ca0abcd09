#include "crashreport/pipeline/interception/raise_decision.h"

#include <gtest/gtest.h>

#include "crashreport/base/options/option_types.h"
#include "rtl/exception.h"

namespace {

using namespace tarvex;
using K = THandlerFrameKind;

THandlerFrame Frame(K kind, std::vector<std::string> classes = {}, bool wrapper = false) {
  return {kind, std::move(classes), wrapper};
}

THandlerFrame ThrownTypeCaught() {
  THandlerFrame frame = Frame(K::ClassFiltered);
  frame.CatchesThrownType = true;
  return frame;
}

TEST(WillBeCaught, DecisionTable) {
  const rtl::ClassInfo* convert = &rtl::EConvertError::kClassInfo;
  const TRaiseDecision leave{false, rkUncaught};
  const TRaiseDecision uncaught{true, rkUncaught};
  struct Case {
    const char* what;
    TRaiseFacts facts;
    std::vector<THandlerFrame> frames;
    TRaiseDecision expected;
  };
  const Case cases[] = {
      {"no frames", {convert}, {}, uncaught},
      {"only cleanup frames", {convert}, {Frame(K::Other), Frame(K::Other)}, uncaught},
      {"catch-all of the program", {convert}, {Frame(K::Other), Frame(K::CatchAll)}, leave},
      {"class filter by ancestor", {convert}, {Frame(K::ClassFiltered, {"EStreamError", "Exception"})}, leave},
      {"class filter that does not match, then the thread wrapper",
       {convert},
       {Frame(K::ClassFiltered, {"EStreamError"}), Frame(K::CatchAll, {}, true)},
       {true, rkThreadWrapper}},
      {"foreign object passes class filters", {nullptr}, {Frame(K::ClassFiltered, {"Exception"})}, uncaught},
      {"class filter found to catch the thrown type", {nullptr}, {ThrownTypeCaught(), Frame(K::CatchAll, {}, true)},
       leave},
      {"safecall without the option", {convert}, {Frame(K::SafeCall)}, leave},
      {"safecall with the option", {convert, false, false, bfReportSafeCallExceptions}, {Frame(K::SafeCall)},
       {true, rkSafeCall}},
      {"innermost catching frame decides", {convert}, {Frame(K::CatchAll), Frame(K::CatchAll, {}, true)}, leave},
      {"stack overflow never looks at frames", {convert, true}, {Frame(K::CatchAll)}, uncaught},
      {"forwarding library never reports", {convert, true, true}, {}, leave},
  };
  for (const Case& c : cases) EXPECT_EQ(WillBeCaught(c.facts, c.frames), c.expected) << c.what;
}

}  // namespace
