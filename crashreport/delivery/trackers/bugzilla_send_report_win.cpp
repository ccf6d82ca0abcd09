// Bugzilla: log in through the bug entry page, search every status of the
// product for the report's ID, then post a new bug and attach the archive
// to it, or raise the counter in the found bug's summary.
#include <algorithm>

#include "crashreport/base/util/text_case.h"
#include "crashreport/delivery/html/form_reader.h"
#include "crashreport/delivery/trackers/send_report_win.h"
#include "crashreport/delivery/trackers/tracker_fields.h"
#include "crashreport/delivery/trackers/tracker_session_win.h"

namespace tarvex {
namespace {

constexpr const char* kBugLink = "show_bug.cgi?id=";

bool LogIn(TTrackerSession& session) {
  THTTPConnectionBase& c = session.Connection();
  c.Progress(hpLogin, 0);
  c.SetRequest("enter_bug.cgi", hmPostUrlEncoded);
  c.AddField("product", session.Encoded(session.Submission().Project));
  c.AddField("Bugzilla_login", session.Encoded(session.Submission().User));
  c.AddField("Bugzilla_password", session.Encoded(session.Submission().Password));
  return session.Execute(false) &&
         (c.ResponseIs("enter_bug.cgi", "relogin.cgi", "") || c.ResponseIs("enter_bug.cgi", "index.cgi?logout=1", ""));
}

bool Search(TTrackerSession& session) {
  THTTPConnectionBase& c = session.Connection();
  c.Progress(hpSearching, 0);
  c.SetRequest("buglist.cgi", hmGet);
  c.AddField("query_format", "specific");
  c.AddField("order", "relevance desc");
  c.AddField("bug_status", "__all__");
  c.AddField("product", session.Encoded(session.Submission().Project));
  session.AddSearch("content", false);
  return session.Execute(false) && c.ResponseIs("buglist.cgi", "href=\"query.cgi?", "");
}

// The program's version when the page offers it, else the selected one.
void AddVersion(TTrackerSession& session) {
  THTTPConnectionBase& c = session.Connection();
  const std::string version = session.Encoded(session.Submission().Version);
  if (c.LastResponse.Body.find("<option value=\"" + version + "\">") != std::string::npos)
    c.AddField("version", version);
  else
    c.CopySelectField("version");
}

void AddComponent(THTTPConnectionBase& c) {
  c.CopySelectField("component");
  if (FieldValue(c.FormFields, "component").empty()) {
    std::erase_if(c.FormFields, [](const TFormField& f) { return f.Name == "component"; });
    c.AddField("component", TextAfter(c.LastResponse.Body, "components[0] = \"", '"'));
  }
}

int ReportNewBug(TTrackerSession& session) {
  THTTPConnectionBase& c = session.Connection();
  const TTrackerSubmission& s = session.Submission();
  c.Progress(hpSelectProject, 0);
  c.SetRequest("enter_bug.cgi", hmGet);
  c.AddField("product", session.Encoded(s.Project));
  if (!session.Execute(false) || !session.PageHas("action=\"post_bug.cgi\"")) return tcProjectFailed;
  const bool attach = !s.Archive.empty();
  c.SetRequest("post_bug.cgi", hmPostUrlEncoded);
  c.CopyInputField("product");
  AddVersion(session);
  AddComponent(c);
  for (const char* name : {"rep_platform", "op_sys", "priority", "bug_severity", "target_milestone"})
    c.CopySelectField(name);
  c.CopyInputField("bug_status");
  c.AddField("assigned_to", session.Encoded(s.AssignTo.empty() ? s.User : s.AssignTo));
  for (const char* name : {"qa_contact", "cc", "estimated_time", "deadline", "bug_file_loc"}) c.CopyInputField(name);
  session.AddSummary("short_desc");
  session.AddDescription("comment");
  for (const char* name : {"keywords", "dependson", "blocked"}) c.CopyInputField(name);
  c.AddField("form_name", "enter_bug");
  c.CopySelectField("bug_status");
  session.AddCustomFields();
  if (!session.Execute(!attach) || !c.ResponseIs("post_bug.cgi", kBugLink, "")) return tcInsertFailed;
  if (!attach) return tcFiled;  // nothing to attach: the bug as posted is the report
  const std::string bugId = InputValue(c.LastResponse.Body, "id").value_or("");
  c.SetRequest("attachment.cgi", hmPostMultipart);
  c.AddField("bugid", bugId);
  c.AddField("action", "insert");
  c.AddField("description", "FILE");
  c.AddField("contenttypemethod", "list");
  c.AddField("contenttypeselection", "application/octet-stream");
  c.AddField("contenttypeentry", "");
  for (const char* name : {"flag_type-1", "flag_type-2", "flag_type-3", "flag_type-4"}) c.AddField(name, "X");
  c.AddField("comment", "");
  c.AddFile("data", s.Archive);
  return session.Execute(true) && c.ResponseIs("attachment.cgi", "attachment.cgi", "") ? tcFiled : tcInsertFailed;
}

// The bug is closed when the page offers to reopen it: the "reopen" action,
// or "reopened" as a status to move to. A bug whose current status is
// REOPENED is open, so its own selected status does not count.
bool IsClosed(const THTTPConnectionBase& c) {
  const std::string page = LowerCase(c.LastResponse.Body);
  if (page.find("value=\"reopen\"") != std::string::npos) return true;
  size_t offers = 0;
  for (size_t at = page.find("value=\"reopened\""); at != std::string::npos;
       at = page.find("value=\"reopened\"", at + 1))
    ++offers;
  const auto statuses = SelectOptions(c.LastResponse.Body, "bug_status");
  const bool current = statuses && std::any_of(statuses->begin(), statuses->end(), [](const TSelectOption& o) {
                         return o.Selected && SameTextIgnoringCase(o.Value, "reopened");
                       });
  return offers > (current ? 1u : 0u);
}

int UpdateBug(TTrackerSession& session) {
  THTTPConnectionBase& c = session.Connection();
  c.Progress(hpModifying, 0);
  c.SetRequest("show_bug.cgi", hmGet);
  c.AddField("id", IdentifierAfter(c.LastResponse.Body, kBugLink));
  if (!session.Execute(false)) return tcUpdateFailed;
  if (!session.PageHas("name=\"form_name\"") && !session.PageHas("type=\"hidden\" id=\"component\"") &&
      !session.PageHas("select id=\"component\" name=\"component\"") &&
      !session.PageHas("<label for=\"component\" accesskey=\""))
    return tcUpdateFailed;
  c.SetRequest("process_bug.cgi", hmPostUrlEncoded);
  if (!c.IncrementCounter("short_desc")) return tcFiled;  // the counter is at its limit
  if (IsClosed(c)) return tcBugClosed;
  for (const char* name : {"delta_ts", "longdesclength", "id", "token", "alias"}) c.CopyInputField(name);
  if (InputValue(c.LastResponse.Body, "bug_file_loc").value_or("").empty())
    c.AddField("bug_file_loc", "");
  else
    c.CopyInputField("bug_file_loc");
  for (const char* name : {"product", "component", "rep_platform", "op_sys"}) c.CopySelectField(name);
  AddVersion(session);
  for (const char* name : {"priority", "bug_severity", "target_milestone"}) c.CopySelectField(name);
  for (const char* name : {"newcc", "cc", "qa_contact", "bug_file_loc", "status_whiteboard", "keywords"})
    c.CopyInputField(name);
  c.AddField("flag_type-6", "X");
  for (const char* name : {"requestee_type-6", "dependson", "blocked"}) c.CopyInputField(name);
  c.CopyTextareaField("comment");
  c.AddField("knob", "none");
  c.CopySelectFieldIfSet("resolution");
  for (const char* name : {"dup_id", "assigned_to", "form_name"}) c.CopyInputField(name);
  session.AddCustomFields();
  return session.Execute(true) && c.ResponseIs("process_bug.cgi", kBugLink, "") ? tcFiled : tcUpdateFailed;
}

}  // namespace

int THTTPBugzillaSendReport::FileReport(TTrackerSession& session) {
  if (!LogIn(session)) return tcLoginFailed;
  if (!Search(session)) return tcSearchFailed;
  return session.PageHas(kBugLink) ? UpdateBug(session) : ReportNewBug(session);
}

}  // namespace tarvex
