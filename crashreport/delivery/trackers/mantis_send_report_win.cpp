// Mantis: log in, choose the project, search the simple view for the
// report's type and ID, then report a new bug with the archive or raise the
// counter in the found bug's summary. Its pages take UTF-8.
#include "crashreport/delivery/html/form_reader.h"
#include "crashreport/delivery/trackers/send_report_win.h"
#include "crashreport/delivery/trackers/tracker_session_win.h"

namespace tarvex {
namespace {

constexpr const char* kUpdateLink = "bug_update_page.php?bug_id=";
constexpr const char* kAdvancedUpdateLink = "bug_update_advanced_page.php?bug_id=";

bool LogIn(TTrackerSession& session) {
  THTTPConnectionBase& c = session.Connection();
  c.Progress(hpLogin, 0);
  c.SetRequest("login.php", hmPostUrlEncoded);
  c.AddField("return", "login_select_proj_page.php");
  c.AddField("username", session.Encoded(session.Submission().User));
  c.AddField("password", session.Encoded(session.Submission().Password));
  return session.Execute(false) && (c.ResponseIs("login_select_proj_page.php", "name=\"project_id\"", "") ||
                                    c.ResponseIs("my_view_page.php", "bug_report_page.php\">", ""));
}

bool ChooseProject(TTrackerSession& session) {
  THTTPConnectionBase& c = session.Connection();
  c.Progress(hpSelectProject, 0);
  const std::string project = session.Encoded(session.Submission().Project);
  constexpr const char* kProjectList = "<select name=\"project_id\"";
  if (!c.ResponseIs("my_view_page.php", "", kProjectList)) {
    c.SetRequest("set_project.php", hmPostUrlEncoded);
    c.SelectOption("project_id", project);
    if (!session.Execute(false)) return false;
  }
  return c.ResponseIs("my_view_page.php", ">" + project + "</option>", "") ||
         c.ResponseIs("my_view_page.php", " " + project + "</option>", "") ||
         c.ResponseIs("my_view_page.php", "", kProjectList);
}

bool Search(TTrackerSession& session) {
  THTTPConnectionBase& c = session.Connection();
  c.Progress(hpSearching, 0);
  c.SetRequest("view_all_set.php?f=3", hmPostUrlEncoded);
  c.AddField("type", "1");
  c.AddField("page_number", "1");
  c.AddField("view_type", "simple");
  session.AddSearch("search", true);
  return session.Execute(false) && (c.ResponseIs("view_all_bug_page.php", "name=\"reset_query_button\"", "") ||
                                    c.ResponseIs("view_all_bug_page.php", "name=\"source_query_id\"", ""));
}

int ReportNewBug(TTrackerSession& session) {
  THTTPConnectionBase& c = session.Connection();
  const TTrackerSubmission& s = session.Submission();
  c.SetRequest("bug_report_advanced_page.php", hmGet);
  if (!session.Execute(false) || !session.PageHas("name=\"file\" type=\"file\"")) return tcInsertFailed;
  const std::string category = session.Encoded(s.Category);
  c.SetRequest("bug_report.php", hmPostMultipart);
  c.CopyInputField("m_id");
  c.CopyInputField("project_id");
  c.SelectOption("handler_id", session.Encoded(s.AssignTo));
  c.SelectOption("category", category);
  c.AddField("reproducibility", "10");
  c.CopySelectField("severity");
  c.CopySelectField("priority");
  c.CopyInputField("platform");
  c.AddField("os", session.WebField("VX_OSType"));
  c.AddField("os_build", session.WebField("VX_OSBuild"));
  c.AddField("build", session.Encoded(s.Version));
  session.AddSummary("summary");
  c.AddField("description", session.Encoded(s.ExceptionMessage));
  c.AddField("steps_to_reproduce", session.WebField("VX_ReproduceText"));
  c.AddField("additional_info", "");
  c.AddField("view_state", "10");
  c.CopyInputField("report_stay");
  c.CopyInputField("bug_report_token");
  c.SelectOption("category_id", category);
  session.AddCustomFields();
  c.AddFile("file", s.Archive);
  return session.Execute(true) && c.ResponseIs("bug_report.php", "href=\"view.php?id=", "") ? tcFiled : tcInsertFailed;
}

bool IsClosedStatus(const std::string& page) {
  const auto options = SelectOptions(page, "status");
  if (!options) return false;
  for (const TSelectOption& option : *options)
    if (option.Selected) return option.Value == "80" || option.Value == "90";
  return false;
}

int UpdateBug(TTrackerSession& session) {
  THTTPConnectionBase& c = session.Connection();
  c.Progress(hpModifying, 0);
  std::string bugId = IdentifierAfter(c.LastResponse.Body, kUpdateLink);
  if (bugId.empty()) bugId = IdentifierAfter(c.LastResponse.Body, kAdvancedUpdateLink);
  c.SetRequest("bug_update_page.php", hmGet);
  c.AddField("bug_id", bugId);
  if (!session.Execute(false) || !session.PageHas("name=\"severity\"")) return tcUpdateFailed;
  c.SetRequest("bug_update.php", hmPostUrlEncoded);
  if (!c.IncrementCounter("summary")) return tcFiled;  // the counter is at its limit
  if (IsClosedStatus(c.LastResponse.Body)) return tcBugClosed;
  c.CopyInputField("bug_id");
  c.CopyInputField("update_mode");
  for (const char* name :
       {"category", "severity", "reproducibility", "reporter_id", "view_state", "handler_id", "priority"})
    c.CopySelectField(name);
  c.CopySelectFieldIfSet("resolution");
  c.CopyTextareaField("description");
  c.CopyTextareaField("additional_information");
  c.CopyTextareaField("bugnote_text");
  c.AddField("build", session.Encoded(session.Submission().Version));
  c.CopyInputField("bug_update_token");
  c.CopySelectField("category_id");
  session.AddCustomFields();
  const bool updated = session.Execute(true) && (c.ResponseIs("bug_update.php", "href=\"view.php?id=", "") ||
                                                 c.ResponseIs("view.php", "href=\"view.php?id=", ""));
  return updated ? tcFiled : tcUpdateFailed;
}

}  // namespace

int THTTPMantisSendReport::FileReport(TTrackerSession& session) {
  if (!LogIn(session)) return tcLoginFailed;
  if (!ChooseProject(session)) return tcProjectFailed;
  if (!Search(session)) return tcSearchFailed;
  const bool found = session.PageHas(kUpdateLink) || session.PageHas(kAdvancedUpdateLink);
  return found ? UpdateBug(session) : ReportNewBug(session);
}

}  // namespace tarvex
