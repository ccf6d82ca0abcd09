// One report filed in a tracker and the same report filed again (which
// raises its counter), through SubmitToTracker, each timed inside the
// program so Wine's start is not counted; run by bench/tracker_bench.py
// beside a curl replay of the same requests against the same stand-in.
//
//   tracker_bench_win URL ARCHIVE
// Prints the milliseconds of the new bug, of the update and of making both
// connections (within the two) on one line;
// exit code 1 when either did not succeed.
#include <cstdio>

#include "bench/performance_counter_win.h"
#include "crashreport/delivery/trackers/tracker_submission_win.h"

int main(int argc, char** argv) {
  using namespace tarvex;
  if (argc != 3) return 2;
  TTrackerSubmission submission;
  submission.Tracker = wdMantis;
  submission.Web.Address = argv[1];
  submission.Archive = argv[2];
  submission.User = "reporter";
  submission.Password =
      "\xC3\xDC\xC2\xEB"
      "s3cret";  // in code page 936
  submission.Project = "Zorvik";
  submission.Category = "General";
  submission.Version = "1.0";
  submission.ExceptionType = "EAccessViolation";
  submission.ExceptionMessage = "Access violation at address 0040A1B2 in module 'ZorvikCalc.exe'.";
  submission.BugId = "A1B2";
  submission.WebFields = {"FogBugzTrialID=", "VX_OSType=Windows 7", "VX_OSBuild=7601", "VX_ReproduceText=Convert"};
  double connecting = 0;  // loading the Internet library and opening the session, in both submissions
  const TConnectionClass plain = [&connecting](const TWebEndpoint& web, const TProxyEndpoint& proxy) {
    const double start = NowMilliseconds();
    auto connection = std::make_unique<THTTPConnectionBase>(web, proxy);
    connecting += NowMilliseconds() - start;
    return connection;
  };
  double times[2];
  for (double& time : times) {
    const double start = NowMilliseconds();
    const TTrackerResult result = SubmitToTracker(submission, plain);
    time = NowMilliseconds() - start;
    if (result.Code != tcFiled) {
      std::printf("code %d: %s\n", result.Code, result.StatusText.c_str());
      return 1;
    }
  }
  std::printf("%.3f %.3f %.3f\n", times[0], times[1], connecting);
  return 0;
}
