// FogBugz: log on, search open and closed cases for the report's type and
// ID, then submit a new case with the archive or raise the counter in the
// found case's title. Submissions go to the address carrying the page's
// action token.
#include "crashreport/delivery/html/form_reader.h"
#include "crashreport/delivery/http/url_encoding.h"
#include "crashreport/delivery/trackers/send_report_win.h"
#include "crashreport/delivery/trackers/tracker_fields.h"
#include "crashreport/delivery/trackers/tracker_session_win.h"

namespace tarvex {
namespace {

constexpr const char* kPage = "default.asp";

bool LogIn(TTrackerSession& session) {
  THTTPConnectionBase& c = session.Connection();
  const TTrackerSubmission& s = session.Submission();
  c.Progress(hpLogin, 0);
  c.SetRequest(kPage, hmPostUrlEncoded);
  c.AddField("pre", "preLogon");
  c.AddField("dest", "");
  c.AddField("sPerson", session.Encoded(s.User));
  c.AddField("sPassword", session.Encoded(s.Password));
  c.AddField("fRememberPassword", "0");
  const std::string trial = session.WebField("FogBugzTrialID");
  if (!trial.empty()) c.AddField("ID", trial);
  return session.Execute(false) && c.ResponseIs(kPage, "pre=preLogOff", "");
}

bool Search(TTrackerSession& session) {
  THTTPConnectionBase& c = session.Connection();
  c.Progress(hpSearching, 0);
  c.SetRequest(kPage, hmGet);
  c.AddField("pre", "preSearch");
  c.AddField("pg", "pgList");
  c.AddField("pgBack", "pgSearch");
  c.AddField("search", "1");
  c.AddField("bAlsoSearchClosedBugs", "ON");
  session.AddSearch("searchFor", true);
  return session.Execute(false) && c.ResponseIs(kPage, "searchFor=", "");
}

// The submission address with the edit page's action token (encoded, so
// that a token can never add fields of its own).
void SetSubmitRequest(THTTPConnectionBase& c) {
  const std::string token = TextAfter(c.LastResponse.Body, "sActionToken=", '"');
  c.SetRequest(token.empty() ? std::string(kPage) + "?pre=preSubmitBug"
                             : std::string(kPage) + "?pre=preSubmitBug&sActionToken=" + UrlEncode(token),
               hmPostMultipart);
}

int SubmitNewCase(TTrackerSession& session) {
  THTTPConnectionBase& c = session.Connection();
  const TTrackerSubmission& s = session.Submission();
  c.Progress(hpSelectProject, 0);
  c.SetRequest(kPage, hmGet);
  c.AddField("command", "new");
  c.AddField("pg", "pgEditBug");
  if (!session.Execute(false) || !c.ResponseIs(kPage, "", "")) return tcInsertFailed;
  SetSubmitRequest(c);
  for (const char* name : {"command", "dtTimeStamp", "ixBug", "ixBugEventLatest", "ixPersonLastOwner", "ixDiscussTopic",
                           "ixScreenshot", "sOriginalTitle"})
    c.CopyInputField(name);
  session.AddSummary("sTitle");
  session.AddDescription("sEvent");
  c.SelectOption("ixProject", session.Encoded(s.Project));
  c.SelectOption("ixArea", session.Encoded(s.Project + ": " + s.Category));
  if (s.AssignTo.empty())
    c.CopySelectField("ixPersonAssignedTo");
  else
    c.SelectOption("ixPersonAssignedTo", session.Encoded(s.AssignTo));
  c.CopySelectField("ixCategory");
  c.CopySelectField("ixFixFor");
  c.AddField("ixPriority", "1");
  c.CopyInputField("sDueDate");
  c.CopyInputField("sDueTime");
  c.AddField("hrsCurrEstNew", "");
  for (const char* name : {"hrsElapsedNew", "omitAtt", "fIEFileBrowse"}) c.CopyInputField(name);
  c.AddField("sVersion", session.Encoded(s.Version));
  c.CopyInputField("sComputer");
  c.CopyInputField("dblTimeStamp");
  session.AddCustomFields();
  if (s.Archive.empty()) {
    c.AddField("nFileCount", "0");
  } else {
    c.AddField("nFileCount", "1");
    c.AddFile("File1", s.Archive);
  }
  return session.Execute(true) && c.ResponseIs(kPage, "command=resolve", "") ? tcFiled : tcInsertFailed;
}

int UpdateCase(TTrackerSession& session) {
  THTTPConnectionBase& c = session.Connection();
  c.Progress(hpModifying, 0);
  const std::string caseId = IdentifierAfter(c.LastResponse.Body, "ixBug=");
  c.SetRequest(kPage, hmGet);
  c.AddField("pg", "pgEditBug");
  c.AddField("command", "edit");
  c.AddField("ixBug", caseId);
  if (!session.Execute(false) || !session.PageHas("name=\"OK\"")) return tcUpdateFailed;
  SetSubmitRequest(c);
  if (!c.IncrementCounter("sTitle")) return tcFiled;  // the counter is at its limit
  if (session.PageHas("default.asp?pg=pgEditReleaseNotes")) return tcBugClosed;
  c.CopyInputField("command");
  c.CopyInputField("dtTimeStamp");
  c.AddField("ixBug", caseId);
  for (const char* name :
       {"ixBugEventLatest", "ixPersonLastOwner", "ixDiscussTopic", "ixScreenshot", "sOriginalTitle", "sEvent"})
    c.CopyInputField(name);
  for (const char* name : {"ixProject", "ixArea", "ixPersonAssignedTo", "ixCategory", "ixFixFor", "ixPriority"})
    c.CopySelectField(name);
  for (const char* name : {"sDueDate", "sDueTime", "hrsCurrEstNew", "hrsElapsedNew", "dblTimeStamp", "fIEFileBrowse",
                           "fIEFileBrowse", "hrsCurrEstNew", "idSubscriptionState", "ixDiscussTopic",
                           "ixPersonLastOwner", "nFileCount", "omitAtt", "sComputer"})
    c.CopyInputField(name);
  c.CopyTextareaField("sEvent");
  c.CopyInputField("sOriginalTitle");
  c.AddField("sVersion", session.Encoded(session.Submission().Version));
  session.AddCustomFields();
  return session.Execute(true) && c.ResponseIs(kPage, "command=resolve", "") ? tcFiled : tcUpdateFailed;
}

}  // namespace

int THTTPFogBugzSendReport::FileReport(TTrackerSession& session) {
  if (!LogIn(session)) return tcLoginFailed;
  if (!Search(session)) return tcSearchFailed;
  const bool found = session.PageHas("default.asp?pg=pgeditbug") || session.PageHas("default.asp?pgx=EV&amp;ixBug=");
  return found ? UpdateCase(session) : SubmitNewCase(session);
}

}  // namespace tarvex
