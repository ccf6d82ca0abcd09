#include "crashreport/delivery/trackers/tracker_submission_win.h"

#include <exception>

namespace tarvex {
namespace {

std::unique_ptr<THTTPSendReport> TrackerFor(TTarvexWebDelivery kind, const TConnectionClass& connectionClass) {
  switch (kind) {
    case wdMantis:
      return std::make_unique<THTTPMantisSendReport>(connectionClass);
    case wdBugzilla:
      return std::make_unique<THTTPBugzillaSendReport>(connectionClass);
    case wdFogBugz:
      return std::make_unique<THTTPFogBugzSendReport>(connectionClass);
    default:
      return nullptr;
  }
}

}  // namespace

TTrackerResult SubmitToTracker(const TTrackerSubmission& submission, const TConnectionClass& connectionClass) {
  TTrackerResult result;
  try {
    const auto tracker = TrackerFor(submission.Tracker, connectionClass);
    if (!tracker) return result;
    THTTPResponse response;
    result.Code = tracker->Send(submission, response);
    result.Status = response.StatusCode;
    result.StatusText = response.StatusText.empty() ? response.ErrorText : response.StatusText;
    result.ErrorCode = response.ErrorCode;
  } catch (const std::exception& error) {  // rtl::Exception too: "Cannot create an HTTP connection ..."
    result = TTrackerResult{tcUnknown, 0, error.what(), 0};
  } catch (...) {
    result = TTrackerResult{tcUnknown, 0, "Unknown error.", 0};
  }
  return result;
}

TTrackerResult SubmitToTracker(const TTrackerSubmission& submission, const TTarvexModuleOptions& options) {
  return SubmitToTracker(submission, [&options](const TWebEndpoint& web, const TProxyEndpoint& proxy) {
    return std::make_unique<THTTPConnection>(options, web, proxy);
  });
}

}  // namespace tarvex
