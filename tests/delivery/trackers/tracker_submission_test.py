#!/usr/bin/python3
"""Reports filed through the crash reporter's tracker submissions (run by
tracker_submit under Wine) in stand-in trackers on loopback
(peers/*_site.py): the requests in order with their fields as a strict
parser read them, the bugs the trackers keep, the result codes and the
progress the submission reported.

    tracker_submission_test.py [UNITTEST_OPTIONS...] -- TOOL_COMMAND...

(for example "-k Mantis" runs the Mantis tests alone).
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "peers"))

import bugzilla_site  # noqa: E402
import fogbugz_site  # noqa: E402
import mantis_site  # noqa: E402
from tracker_site import TrackerServer  # noqa: E402

TOOL = []
ANSI = "gbk"  # the test prefix's ANSI code page, 936
MANTIS = mantis_site.MantisSite()
BUGZILLA = bugzilla_site.BugzillaSite()
FOGBUGZ = fogbugz_site.FogBugzSite()
SITES = [MANTIS, BUGZILLA, FOGBUGZ]
SERVER = None

ARCHIVE_BYTES = bytes((i * 131 + 7) % 256 for i in range(20000)).replace(b"\x00\x01", b"\r\n", 5)
MESSAGE = "Access violation at address 0040A1B2 in module 'ZorvikCalc.exe'. 读取地址 00000000。"
REPRODUCE = "点击“转换”按钮"
OS_TYPE, OS_BUILD = "Windows 7 专业版", "7601 Service Pack 1"
SUMMARY = "[v1.0 - 1]: EAccessViolation (A1B2)"
SENDING, SENT = 6, 7


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


class Submission:
    """What tracker_submit answered."""

    def __init__(self, output):
        lines = dict(line.split(" ", 1) if " " in line else (line, "") for line in output.splitlines())
        self.code = int(lines["code"])
        self.status = int(lines["status"])
        self.status_text = bytes.fromhex(lines["status-text"]).decode(ANSI)
        self.error = int(lines["error"])
        self.progress = [int(k) for k in lines["progress"].split()]

    def steps_shown(self):
        """The progress kinds without the transfer's percents."""
        return [kind for kind in self.progress if kind != SENDING]


class TrackerTest(unittest.TestCase):
    site = None
    tracker = ""

    def setUp(self):
        self.site.reset()
        self.dir = tempfile.mkdtemp(prefix="vx-trackers-")
        self.addCleanup(shutil.rmtree, self.dir)
        self.archive = os.path.join(self.dir, "BugReport.zip")
        with open(self.archive, "wb") as out:
            out.write(ARCHIVE_BYTES)

    def submit(self, **overrides):
        values = dict(tracker=self.tracker, url=f"http://127.0.0.1:{SERVER.port}{self.site.prefix}",
                      user=self.site_module.USER, password=self.site_module.PASSWORD,
                      project=self.project, category=self.category, assign=self.assign_to,
                      archive=windows_path(self.archive), version="1.0", type="EAccessViolation",
                      message=MESSAGE, bugid="A1B2")
        fields = ["Severity=crash", "FogBugzTrialID=", f"VX_OSType={OS_TYPE}", f"VX_OSBuild={OS_BUILD}",
                  f"VX_ReproduceText={REPRODUCE}"]
        fields = overrides.pop("fields", fields)
        values.update(overrides)
        args = [f"{name}={value.encode(ANSI).hex()}" for name, value in values.items()]
        args += [f"field={entry.encode(ANSI).hex()}" for entry in fields]
        done = subprocess.run(TOOL + args, capture_output=True, timeout=300)
        self.assertEqual(done.returncode, 0, done.stderr.decode("latin-1"))
        self.assertEqual(self.site.refused, [], "the strict parser refused a request")
        return Submission(done.stdout.decode("latin-1"))

    def pages(self):
        return [(r.method, r.step) for r in self.site.journal]

    def request(self, page, method="POST"):
        found = [r for r in self.site.journal if r.step == page and r.method == method]
        self.assertEqual(len(found), 1, f"{method} {page} in {self.pages()}")
        return found[0]

    def assertProgressShownOnce(self, submission, steps):
        """The steps' kinds and the transfer of the last request alone."""
        self.assertEqual(submission.steps_shown(), [0, 1, *steps, SENT, 8, 9])
        self.assertIn(SENDING, submission.progress)
        self.assertGreater(submission.progress.index(SENDING), submission.progress.index(steps[-1]))


class NoTracker(TrackerTest):
    """Submissions that never reach a tracker's pages."""
    site = MANTIS
    site_module = mantis_site
    tracker = "mantis"
    project, category, assign_to = "Zorvik", "General", ""

    def test_an_unreadable_address_is_no_connection(self):
        result = self.submit(url="http://bad host/mantis/")
        self.assertEqual((result.code, result.status), (2, 0))
        self.assertEqual(result.status_text, "Cannot create an HTTP connection with the host: http://bad host/mantis/")
        self.assertEqual(result.progress, [])

    def test_a_refused_connection_fails_the_login_with_the_library_error(self):
        with socket.socket() as unused:
            unused.bind(("127.0.0.1", 0))  # bound, not listening: connections are refused
            result = self.submit(url=f"http://127.0.0.1:{unused.getsockname()[1]}/mantis/")
        self.assertEqual((result.code, result.status, result.error), (3, 0, 12029))
        self.assertEqual(result.status_text, "The attempt to connect to the server failed.")
        self.assertEqual(self.site.journal, [])


class Mantis(TrackerTest):
    site = MANTIS
    site_module = mantis_site
    tracker = "mantis"
    project, category, assign_to = "Zorvik素材计算工具", "崩溃", "王工"
    NEW_BUG_FIELDS = ["m_id", "project_id", "handler_id", "category", "reproducibility", "severity", "priority",
                      "platform", "os", "os_build", "build", "summary", "description", "steps_to_reproduce",
                      "additional_info", "view_state", "bug_report_token", "category_id", "Severity"]
    UPDATE_FIELDS = ["summary", "bug_id", "update_mode", "category", "severity", "reproducibility", "reporter_id",
                     "view_state", "handler_id", "priority", "resolution", "description", "additional_information",
                     "bugnote_text", "build", "bug_update_token", "category_id", "Severity"]
    LEAD = [("POST", "login.php"), ("GET", "login_select_proj_page.php"), ("POST", "set_project.php"),
            ("GET", "my_view_page.php"), ("POST", "view_all_set.php"), ("GET", "view_all_bug_page.php")]

    def test_a_first_report_files_one_bug_in_utf8_with_the_archive(self):
        result = self.submit()
        self.assertEqual(result.code, 0, self.pages())
        self.assertEqual(self.pages(),
                         self.LEAD + [("GET", "bug_report_advanced_page.php"), ("POST", "bug_report.php")])
        login = self.request("login.php")
        self.assertEqual(login.fields, [(b"return", b"login_select_proj_page.php"), (b"username", b"reporter"),
                                        (b"password", mantis_site.PASSWORD.encode("utf-8"))])
        self.assertEqual(self.request("set_project.php").fields, [(b"project_id", b"2")])
        search = self.request("view_all_set.php")
        self.assertEqual(search.query, [(b"f", b"3")])
        self.assertEqual(search.fields, [(b"type", b"1"), (b"page_number", b"1"), (b"view_type", b"simple"),
                                         (b"search", b"EAccessViolation (A1B2)")])
        report = self.request("bug_report.php")
        self.assertEqual(report.names(), self.NEW_BUG_FIELDS)
        expected = {"m_id": "0", "project_id": "2", "handler_id": "8", "category": "4", "reproducibility": "10",
                    "severity": "50", "priority": "30", "platform": "x86 & PC", "os": OS_TYPE, "os_build": OS_BUILD,
                    "build": "1.0", "summary": SUMMARY, "description": MESSAGE, "steps_to_reproduce": REPRODUCE,
                    "additional_info": "", "view_state": "10", "category_id": "4", "Severity": "crash"}
        self.assertEqual({name: report.field(name, "utf-8") for name in expected}, expected)
        self.assertEqual(report.files, [(b"file", b"BugReport.zip", ARCHIVE_BYTES)])
        self.assertEqual(len(self.site.bugs), 1)
        bug = next(iter(self.site.bugs.values()))
        self.assertEqual((bug.summary, bug.project, bug.attachments),
                         (SUMMARY, self.project, [("BugReport.zip", ARCHIVE_BYTES)]))
        self.assertProgressShownOnce(result, [2, 3, 4])

    def test_b_the_same_report_again_raises_the_counter(self):
        self.assertEqual(self.submit().code, 0)
        del self.site.journal[:]
        result = self.submit()
        self.assertEqual(result.code, 0, self.pages())
        self.assertEqual(self.pages(), self.LEAD + [("GET", "bug_update_page.php"), ("POST", "bug_update.php"),
                                                    ("GET", "view.php")])
        bug_id = str(next(iter(self.site.bugs)))
        self.assertEqual(self.request("bug_update_page.php", "GET").query, [(b"bug_id", bug_id.encode())])
        update = self.request("bug_update.php")
        self.assertEqual(update.names(), self.UPDATE_FIELDS)
        self.assertEqual(update.field("summary", "utf-8"), "[v1.0 - 2]: EAccessViolation (A1B2)")
        self.assertEqual(update.field("description", "utf-8"), MESSAGE)
        self.assertEqual(update.field("category_id"), "4")
        self.assertEqual(len(self.site.bugs), 1)
        self.assertEqual(self.site.bugs[int(bug_id)].summary, "[v1.0 - 2]: EAccessViolation (A1B2)")
        self.assertProgressShownOnce(result, [2, 3, 4, 5])

    def test_c_a_counter_at_its_limit_changes_nothing(self):
        full = "[v1.0 - 9999]: EAccessViolation (A1B2)"
        bug = self.site.add_bug(full, project=self.project)
        result = self.submit()
        self.assertEqual(result.code, 0)
        self.assertEqual(self.pages(), self.LEAD + [("GET", "bug_update_page.php")])
        self.assertEqual((bug.summary, len(self.site.bugs)), (full, 1))

    def test_d_a_closed_bug_is_reported_as_closed(self):
        for status in (80, 90):
            with self.subTest(status=status):
                self.site.reset()
                self.site.add_bug("[v0.9 - 3]: EAccessViolation (A1B2)", status, self.project)
                self.assertEqual(self.submit().code, 1)
                self.assertEqual(self.pages()[-1], ("GET", "bug_update_page.php"))

    def test_e_a_rejected_login_stops_at_once(self):
        result = self.submit(password="wrong")
        self.assertEqual(result.code, 3)
        self.assertEqual(self.pages(), [("POST", "login.php"), ("GET", "login_page.php")])
        self.assertEqual(result.status, 200)

    def test_f_wrong_answers_give_each_step_its_code(self):
        cases = [("login.php", 500, 3), ("login_select_proj_page.php", "marker", 3),
                 ("set_project.php", "page", 4), ("my_view_page.php", "marker", 4),
                 ("view_all_set.php", 500, 5), ("view_all_bug_page.php", "marker", 5),
                 ("bug_report_advanced_page.php", "marker", 6), ("bug_report.php", 500, 6),
                 ("bug_report.php", "marker", 6)]
        for page, mode, code in cases:
            with self.subTest(page=page, mode=mode):
                self.site.reset()
                self.site.wrong[page] = mode
                self.assertEqual(self.submit().code, code, self.pages())
        for page, mode in [("bug_update_page.php", "marker"), ("bug_update.php", 500), ("view.php", "marker")]:
            with self.subTest(page=page, mode=mode):
                self.site.reset()
                self.site.add_bug("[v1.0 - 4]: EAccessViolation (A1B2)", project=self.project)
                self.site.wrong[page] = mode
                self.assertEqual(self.submit().code, 7, self.pages())

    def test_g_an_unknown_project_is_not_chosen(self):
        self.assertEqual(self.submit(project="Nowhere").code, 4)
        self.assertEqual(self.request("set_project.php").fields, [(b"project_id", b"")])


class Bugzilla(TrackerTest):
    site = BUGZILLA
    site_module = bugzilla_site
    tracker = "bugzilla"
    project, category, assign_to = "ZorvikCalc", "", "dev@example.test"
    LEAD = [("POST", "enter_bug.cgi:login"), ("GET", "buglist.cgi")]
    NEW_BUG_FIELDS = ["product", "version", "component", "rep_platform", "op_sys", "priority", "bug_severity",
                      "target_milestone", "assigned_to", "qa_contact", "estimated_time", "bug_file_loc", "short_desc",
                      "comment", "form_name", "bug_status", "Severity"]
    ATTACHMENT_FIELDS = [(b"bugid", None), (b"action", b"insert"), (b"description", b"FILE"),
                         (b"contenttypemethod", b"list"), (b"contenttypeselection", b"application/octet-stream"),
                         (b"contenttypeentry", b""), (b"flag_type-1", b"X"), (b"flag_type-2", b"X"),
                         (b"flag_type-3", b"X"), (b"flag_type-4", b"X"), (b"comment", b"")]
    UPDATE_FIELDS = ["short_desc", "delta_ts", "longdesclength", "id", "token", "bug_file_loc", "product", "component",
                     "rep_platform", "op_sys", "version", "priority", "bug_severity", "target_milestone", "qa_contact",
                     "bug_file_loc", "status_whiteboard", "flag_type-6", "comment", "knob", "assigned_to", "form_name",
                     "Severity"]

    def test_a_first_report_posts_a_bug_and_attaches_the_archive(self):
        result = self.submit()
        self.assertEqual(result.code, 0, self.pages())
        self.assertEqual(self.pages(), self.LEAD + [("GET", "enter_bug.cgi"), ("POST", "post_bug.cgi"),
                                                    ("POST", "attachment.cgi")])
        self.assertEqual(self.request("enter_bug.cgi:login").fields,
                         [(b"product", b"ZorvikCalc"), (b"Bugzilla_login", b"reporter@example.test"),
                          (b"Bugzilla_password", b"s3cret")])
        self.assertEqual(self.request("buglist.cgi", "GET").query,
                         [(b"query_format", b"specific"), (b"order", b"relevance desc"), (b"bug_status", b"__all__"),
                          (b"product", b"ZorvikCalc"), (b"content", b" (A1B2)")])
        post = self.request("post_bug.cgi")
        self.assertEqual(post.names(), self.NEW_BUG_FIELDS)
        expected = {"version": "1.0", "component": "Crash reporter", "assigned_to": "dev@example.test",
                    "short_desc": SUMMARY, "comment": MESSAGE + "\r\n\r\n---\r\n\r\n" + REPRODUCE,
                    "form_name": "enter_bug", "bug_status": "NEW", "bug_file_loc": "http://"}
        self.assertEqual({name: post.field(name, "utf-8") for name in expected}, expected)
        bug = next(iter(self.site.bugs.values()))
        attachment = self.request("attachment.cgi")
        self.assertEqual(attachment.fields, [(n, v if v is not None else str(bug.id).encode())
                                             for n, v in self.ATTACHMENT_FIELDS])
        self.assertEqual(attachment.files, [(b"data", b"BugReport.zip", ARCHIVE_BYTES)])
        self.assertEqual((len(self.site.bugs), bug.summary, bug.attachments),
                         (1, SUMMARY, [("BugReport.zip", ARCHIVE_BYTES)]))
        self.assertProgressShownOnce(result, [2, 4, 3])

    def test_b_the_same_report_again_raises_the_counter(self):
        self.assertEqual(self.submit().code, 0)
        del self.site.journal[:]
        result = self.submit()
        self.assertEqual(result.code, 0, self.pages())
        self.assertEqual(self.pages(), self.LEAD + [("GET", "show_bug.cgi"), ("POST", "process_bug.cgi")])
        update = self.request("process_bug.cgi")
        self.assertEqual(update.names(), self.UPDATE_FIELDS)
        self.assertEqual((update.field("short_desc"), update.field("version"), update.field("knob")),
                         ("[v1.0 - 2]: EAccessViolation (A1B2)", "1.0", "none"))
        self.assertEqual([b.summary for b in self.site.bugs.values()], ["[v1.0 - 2]: EAccessViolation (A1B2)"])
        self.assertProgressShownOnce(result, [2, 4, 5])

    def test_c_a_counter_at_its_limit_changes_nothing(self):
        bug = self.site.add_bug("[v1.0 - 9999]: EAccessViolation (A1B2)", "NEW", self.project)
        self.assertEqual(self.submit().code, 0)
        self.assertEqual(self.pages(), self.LEAD + [("GET", "show_bug.cgi")])
        self.assertEqual(bug.summary, "[v1.0 - 9999]: EAccessViolation (A1B2)")

    def test_d_a_closed_bug_is_reported_as_closed_and_a_reopened_one_updated(self):
        for status, knobs, code in [("RESOLVED", False, 1), ("CLOSED", True, 1), ("VERIFIED", False, 1),
                                    ("REOPENED", False, 0), ("NEW", True, 0)]:
            with self.subTest(status=status, knobs=knobs):
                self.site.reset()
                bug = self.site.add_bug("[v1.0 - 2]: EAccessViolation (A1B2)", status, self.project,
                                        {"knobs": "1"} if knobs else {})
                self.assertEqual(self.submit().code, code, self.pages())
                self.assertEqual(bug.summary, "[v1.0 - 2]: EAccessViolation (A1B2)" if code == 1
                                 else "[v1.0 - 3]: EAccessViolation (A1B2)")

    def test_e_a_rejected_login_stops_at_once(self):
        self.assertEqual(self.submit(password="wrong").code, 3)
        self.assertEqual(self.pages(), [("POST", "enter_bug.cgi:login")])

    def test_f_wrong_answers_give_each_step_its_code(self):
        cases = [("enter_bug.cgi:login", 500, 3), ("enter_bug.cgi:login", "marker", 3), ("buglist.cgi", 500, 5),
                 ("buglist.cgi", "marker", 5), ("enter_bug.cgi", "page", 4), ("enter_bug.cgi", "marker", 4),
                 ("post_bug.cgi", 500, 6), ("post_bug.cgi", "marker", 6), ("attachment.cgi", "page", 6),
                 ("attachment.cgi", "marker", 6)]
        for page, mode, code in cases:
            with self.subTest(page=page, mode=mode):
                self.site.reset()
                self.site.wrong[page] = mode
                self.assertEqual(self.submit().code, code, self.pages())
        for page, mode in [("show_bug.cgi", "marker"), ("process_bug.cgi", 500), ("process_bug.cgi", "marker")]:
            with self.subTest(page=page, mode=mode):
                self.site.reset()
                self.site.add_bug("[v1.0 - 4]: EAccessViolation (A1B2)", "NEW", self.project)
                self.site.wrong[page] = mode
                self.assertEqual(self.submit().code, 7, self.pages())

    def test_g_no_assignee_assigns_the_login_and_no_archive_posts_no_attachment(self):
        self.assertEqual(self.submit(assign="", archive="").code, 0, self.pages())
        self.assertEqual(self.request("post_bug.cgi").field("assigned_to"), "reporter@example.test")
        self.assertEqual(self.pages()[-1], ("POST", "post_bug.cgi"))


class FogBugz(TrackerTest):
    site = FOGBUGZ
    site_module = fogbugz_site
    tracker = "fogbugz"
    project, category, assign_to = "Zorvik", "崩溃", "王工"
    LEAD = [("POST", "default.asp:preLogon"), ("GET", "default.asp:"), ("GET", "default.asp:preSearch")]
    NEW_CASE_FIELDS = ["command", "dtTimeStamp", "ixBug", "ixBugEventLatest", "ixPersonLastOwner", "ixDiscussTopic",
                       "ixScreenshot", "sTitle", "sEvent", "ixProject", "ixArea", "ixPersonAssignedTo", "ixCategory",
                       "ixFixFor", "ixPriority", "hrsCurrEstNew", "hrsElapsedNew", "fIEFileBrowse", "sVersion",
                       "dblTimeStamp", "Severity", "nFileCount"]
    UPDATE_FIELDS = ["sTitle", "command", "dtTimeStamp", "ixBug", "ixBugEventLatest", "ixPersonLastOwner",
                     "ixDiscussTopic", "ixScreenshot", "sOriginalTitle", "ixProject", "ixArea", "ixPersonAssignedTo",
                     "ixCategory", "ixFixFor", "ixPriority", "hrsCurrEstNew", "hrsElapsedNew", "dblTimeStamp",
                     "fIEFileBrowse", "fIEFileBrowse", "hrsCurrEstNew", "idSubscriptionState", "ixDiscussTopic",
                     "ixPersonLastOwner", "nFileCount", "sEvent", "sOriginalTitle", "sVersion", "Severity"]

    def test_a_first_report_submits_a_case_with_the_archive(self):
        result = self.submit()
        self.assertEqual(result.code, 0, self.pages())
        self.assertEqual(self.pages(), self.LEAD + [("GET", "default.asp:new"), ("POST", "default.asp:preSubmitBug")])
        self.assertEqual(self.request("default.asp:preLogon").fields,
                         [(b"pre", b"preLogon"), (b"dest", b""), (b"sPerson", b"reporter"), (b"sPassword", b"s3cret"),
                          (b"fRememberPassword", b"0")])
        self.assertEqual(self.request("default.asp:preSearch", "GET").query,
                         [(b"pre", b"preSearch"), (b"pg", b"pgList"), (b"pgBack", b"pgSearch"), (b"search", b"1"),
                          (b"bAlsoSearchClosedBugs", b"ON"), (b"searchFor", b"EAccessViolation (A1B2)")])
        self.assertEqual(self.request("default.asp:new", "GET").query, [(b"command", b"new"), (b"pg", b"pgEditBug")])
        submit = self.request("default.asp:preSubmitBug")
        self.assertEqual([n for n, _ in submit.query], [b"pre", b"sActionToken"])
        self.assertEqual(submit.names(), self.NEW_CASE_FIELDS)
        expected = {"sTitle": SUMMARY, "sEvent": MESSAGE + "\r\n\r\n---\r\n\r\n" + REPRODUCE, "ixProject": "1",
                    "ixArea": "12", "ixPersonAssignedTo": "3", "ixPriority": "1", "hrsCurrEstNew": "",
                    "sVersion": "1.0", "nFileCount": "1"}
        self.assertEqual({name: submit.field(name, ANSI) for name in expected}, expected)
        self.assertEqual(submit.files, [(b"File1", b"BugReport.zip", ARCHIVE_BYTES)])
        case = next(iter(self.site.bugs.values()))
        self.assertEqual((len(self.site.bugs), case.summary, case.attachments),
                         (1, SUMMARY, [("BugReport.zip", ARCHIVE_BYTES)]))
        self.assertProgressShownOnce(result, [2, 4, 3])

    def test_b_the_same_report_again_raises_the_counter(self):
        self.assertEqual(self.submit().code, 0)
        del self.site.journal[:]
        result = self.submit()
        self.assertEqual(result.code, 0, self.pages())
        self.assertEqual(self.pages(), self.LEAD + [("GET", "default.asp:edit"), ("POST", "default.asp:preSubmitBug")])
        case_id = str(next(iter(self.site.bugs))).encode()
        self.assertEqual(self.request("default.asp:edit", "GET").query,
                         [(b"pg", b"pgEditBug"), (b"command", b"edit"), (b"ixBug", case_id)])
        update = self.request("default.asp:preSubmitBug")
        self.assertEqual(update.names(), self.UPDATE_FIELDS)
        self.assertEqual((update.field("sTitle"), update.field("ixBug"), update.field("ixPriority")),
                         ("[v1.0 - 2]: EAccessViolation (A1B2)", case_id.decode(), "3"))
        self.assertEqual(update.files, [])
        self.assertEqual([c.summary for c in self.site.bugs.values()], ["[v1.0 - 2]: EAccessViolation (A1B2)"])
        self.assertProgressShownOnce(result, [2, 4, 5])

    def test_c_a_counter_at_its_limit_changes_nothing(self):
        case = self.site.add_bug("[v1.0 - 9999]: EAccessViolation (A1B2)", "Active", self.project)
        self.assertEqual(self.submit().code, 0)
        self.assertEqual(self.pages(), self.LEAD + [("GET", "default.asp:edit")])
        self.assertEqual(case.summary, "[v1.0 - 9999]: EAccessViolation (A1B2)")

    def test_d_a_closed_case_is_reported_as_closed(self):
        self.site.add_bug("[v1.0 - 2]: EAccessViolation (A1B2)", "Closed", self.project)
        self.assertEqual(self.submit().code, 1)
        self.assertEqual(self.pages()[-1], ("GET", "default.asp:edit"))

    def test_e_a_rejected_login_stops_at_once(self):
        self.assertEqual(self.submit(password="wrong").code, 3)
        self.assertEqual(self.pages(), [("POST", "default.asp:preLogon")])

    def test_f_wrong_answers_give_each_step_its_code(self):
        cases = [("default.asp:preLogon", 500, 3), ("default.asp:", "marker", 3),
                 ("default.asp:preSearch", "page", 5), ("default.asp:preSearch", "marker", 5),
                 ("default.asp:new", "page", 6), ("default.asp:preSubmitBug", 500, 6),
                 ("default.asp:preSubmitBug", "marker", 6)]
        for page, mode, code in cases:
            with self.subTest(page=page, mode=mode):
                self.site.reset()
                self.site.wrong[page] = mode
                self.assertEqual(self.submit().code, code, self.pages())
        for page, mode in [("default.asp:edit", "marker"), ("default.asp:edit", 500),
                           ("default.asp:preSubmitBug", "marker")]:
            with self.subTest(page=page, mode=mode):
                self.site.reset()
                self.site.add_bug("[v1.0 - 4]: EAccessViolation (A1B2)", "Active", self.project)
                self.site.wrong[page] = mode
                self.assertEqual(self.submit().code, 7, self.pages())

    def test_g_the_trial_id_goes_with_the_login_only_when_set(self):
        self.site.trial_required = True
        fields = ["FogBugzTrialID=" + fogbugz_site.TRIAL_ID, "VX_OSType=", "VX_OSBuild=", "VX_ReproduceText="]
        self.assertEqual(self.submit(fields=fields).code, 0, self.pages())
        self.assertEqual(self.request("default.asp:preLogon").field("ID"), fogbugz_site.TRIAL_ID)
        self.site.reset()
        self.assertEqual(self.submit(archive="").code, 0)
        self.assertIsNone(self.request("default.asp:preLogon").field("ID"))
        submit = self.request("default.asp:preSubmitBug")
        self.assertEqual((submit.field("nFileCount"), submit.files), ("0", []))


def main():
    global SERVER
    separator = sys.argv.index("--")
    TOOL.extend(sys.argv[separator + 1:])
    SERVER = TrackerServer(SITES)
    try:
        run = unittest.main(argv=sys.argv[:separator], verbosity=2, exit=False)
    finally:
        SERVER.stop()
    sys.exit(0 if run.result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
