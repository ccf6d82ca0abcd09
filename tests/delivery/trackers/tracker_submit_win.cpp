// Files one report in a tracker for the stand-in sites' tests and prints
// what the submission answered and the progress it reported:
//
//   tracker_submit NAME=HEX...
//
// Every value is hexadecimal, so that the code page's bytes arrive as they
// are: tracker (mantis, bugzilla, fogbugz), url, proxy, user, password,
// project, category, assign, archive, version, type, message, bugid, and
// field ("name=value", repeated). Prints "code N", "status N",
// "status-text HEX", "error N" and "progress K K ...".
#include <cstdio>
#include <cstring>
#include <string>

#include "crashreport/delivery/trackers/tracker_submission_win.h"

namespace {

using namespace tarvex;

// A connection that notes the progress kinds it is given, connect and disconnect included.
class TRecordingConnection : public THTTPConnectionBase {
 public:
  TRecordingConnection(const TWebEndpoint& web, const TProxyEndpoint& proxy, std::string& kinds)
      : THTTPConnectionBase(web, proxy, false), kinds_(kinds) {
    Connect();
  }
  ~TRecordingConnection() override {
    try {
      Disconnect();
    } catch (...) {
    }
  }
  void Progress(int kind, int) override { kinds_ += " " + std::to_string(kind); }

 private:
  std::string& kinds_;
};

std::string Unhex(const char* hex) {
  std::string bytes;
  for (size_t i = 0; hex[i] != '\0' && hex[i + 1] != '\0'; i += 2) {
    const char pair[3] = {hex[i], hex[i + 1], '\0'};
    bytes += static_cast<char>(std::strtoul(pair, nullptr, 16));
  }
  return bytes;
}

std::string Hex(const std::string& bytes) {
  std::string hex;
  char pair[3];
  for (const unsigned char c : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", c);
    hex += pair;
  }
  return hex;
}

}  // namespace

int main(int argc, char** argv) {
  TTrackerSubmission submission;
  for (int i = 1; i < argc; ++i) {
    const char* equals = std::strchr(argv[i], '=');
    if (equals == nullptr) return 2;
    const std::string name(argv[i], static_cast<size_t>(equals - argv[i]));
    const std::string value = Unhex(equals + 1);
    if (name == "tracker")
      submission.Tracker = value == "bugzilla" ? wdBugzilla : value == "fogbugz" ? wdFogBugz : wdMantis;
    else if (name == "url")
      submission.Web.Address = value;
    else if (name == "proxy")
      submission.Proxy.Server = value;
    else if (name == "user")
      submission.User = value;
    else if (name == "password")
      submission.Password = value;
    else if (name == "project")
      submission.Project = value;
    else if (name == "category")
      submission.Category = value;
    else if (name == "assign")
      submission.AssignTo = value;
    else if (name == "archive")
      submission.Archive = value;
    else if (name == "version")
      submission.Version = value;
    else if (name == "type")
      submission.ExceptionType = value;
    else if (name == "message")
      submission.ExceptionMessage = value;
    else if (name == "bugid")
      submission.BugId = value;
    else if (name == "field")
      submission.WebFields.push_back(value);
    else
      return 2;
  }
  std::string kinds;
  const TTrackerResult result =
      SubmitToTracker(submission, [&kinds](const TWebEndpoint& web, const TProxyEndpoint& proxy) {
        return std::make_unique<TRecordingConnection>(web, proxy, kinds);
      });
  std::printf("code %d\nstatus %d\nstatus-text %s\nerror %u\nprogress%s\n", result.Code, result.Status,
              Hex(result.StatusText).c_str(), static_cast<unsigned>(result.ErrorCode), kinds.c_str());
  return 0;
}
