"""A stand-in Bugzilla: login through the bug entry page, the bug list,
entering and changing bugs and adding attachments, in UTF-8, with its login
cookie and the change form's token."""
from tracker_site import Answer, Site, e, redirect

USER, PASSWORD = "reporter@example.test", "s3cret"
PRODUCT = "ZorvikCalc"
CLOSED = ("RESOLVED", "VERIFIED", "CLOSED")
NEXT_STATUSES = {"NEW": ["ASSIGNED", "RESOLVED"], "REOPENED": ["ASSIGNED", "RESOLVED"],
                 "RESOLVED": ["REOPENED", "VERIFIED"], "VERIFIED": ["REOPENED"], "CLOSED": ["REOPENED"]}

HEAD = ('<!DOCTYPE html><html><head><meta http-equiv="Content-Type" content="text/html; charset=UTF-8">'
        "<title>Bugzilla</title></head><body>")
FOOTER = '<div id="footer"><a href="index.cgi?logout=1">Log&nbsp;out</a> <a href="relogin.cgi">Forget me</a></div>'
TAIL = FOOTER + "</body></html>"


def select(name, choices, selected=None):
    rows = "".join(f'<option value="{e(v)}"{" selected" if v == selected else ""}>{e(v)}</option>'
                   for v in choices)
    return f'<select name="{name}" id="{name}">{rows}</select>\n'


def hidden(name, value):
    return f'<input type="hidden" name="{name}" value="{e(value)}">\n'


class BugzillaSite(Site):
    prefix = "/bugzilla/"
    error_page = "error.cgi"

    def step_of(self, request):
        if request.page == "enter_bug.cgi" and request.method == "POST":
            return "enter_bug.cgi:login"
        return request.page

    def answer(self, request, session, sid):
        if request.step == "enter_bug.cgi:login":
            return self.login(request)
        if session is None:
            return Answer(200, HEAD + "<p>I need a legitimate login and password to continue.</p></body></html>")
        handler = getattr(self, request.page.replace(".cgi", ""), None)
        return handler(request, session) if handler else Answer(404, "no such page")

    def login(self, request):
        if (request.field("Bugzilla_login"), request.field("Bugzilla_password")) != (USER, PASSWORD):
            return Answer(200, HEAD + "<p>The username or password you entered is not valid.</p></body></html>")
        sid = self.new_session()
        answer = self.entry_form(self.text(request.raw("product")))
        answer.headers.append(("Set-Cookie", f"SID={sid}; path=/bugzilla/; HttpOnly"))
        answer.markers = ("relogin.cgi", "index.cgi?logout=1")
        return answer

    def query(self, request):
        return {name.decode(): self.text(value) for name, value in request.query}

    def buglist(self, request, session):
        query = self.query(request)
        if (query.get("query_format"), query.get("bug_status")) != ("specific", "__all__"):
            return redirect(self.error_page)
        rows = "".join(f'<tr><td><a href="show_bug.cgi?id={bug.id}">{bug.id}</a></td><td>{e(bug.summary)}</td></tr>'
                       for bug in self.bugs.values()
                       if bug.project == query.get("product") and query.get("content", "") in bug.summary)
        return Answer(200, HEAD + f"<table class='bz_buglist'>{rows}</table>"
                      f'<a href="query.cgi?{e("format=advanced&product=" + query.get("product", ""))}">'
                      "Edit Search</a>" + TAIL,
                      markers=('href="query.cgi?',))

    def enter_bug(self, request, session):
        return self.entry_form(self.query(request).get("product", ""))

    def entry_form(self, product):
        if product != PRODUCT:
            return Answer(200, HEAD + "<p>Enter a bug for which product?</p>" + TAIL)
        return Answer(200, HEAD +
                      '<script>var components = new Array(2);\ncomponents[0] = "Crash reporter";\n'
                      'components[1] = "Calculator";</script>\n'
                      '<form name="Create" id="Create" method="post" action="post_bug.cgi"'
                      ' enctype="application/x-www-form-urlencoded">\n'
                      + hidden("product", product)
                      + select("version", ["0.9", "1.0", "unspecified"], "unspecified")
                      + '<select name="component" id="component" size="7">'
                        '<option value="Crash reporter">Crash reporter</option>'
                        "<option value='Calculator'>Calculator</option></select>\n"
                      + select("rep_platform", ["All", "PC"], "PC") + select("op_sys", ["All", "Windows"], "Windows")
                      + select("priority", ["P1", "P3"], "P3")
                      + select("bug_severity", ["critical", "normal"], "normal")
                      + select("target_milestone", ["---"], "---") + select("bug_status", ["NEW", "ASSIGNED"], "NEW")
                      + '<input name="assigned_to" id="assigned_to" value="" size="30">\n'
                      '<input name="qa_contact" value="qa@example.test"><input name="cc" value="">\n'
                      '<input name="estimated_time" size="6" value="0.0"><input name="deadline" value="">\n'
                      "<input name='bug_file_loc' value='http://' size='40'/>\n"
                      '<input name="short_desc" size="70" value=""><textarea name="comment" rows="10" cols="80">'
                      '</textarea>\n'
                      '<input name="keywords" value=""><input name="dependson" value="">'
                      '<input name="blocked" value="">\n'
                      "</form>" + TAIL, markers=('action="post_bug.cgi"',))

    def post_bug(self, request, session):
        values = {name.decode(): self.text(value) for name, value in request.fields}
        if values.get("product") != PRODUCT or not values.get("component"):
            return Answer(200, HEAD + "<p>You must choose a component.</p>" + TAIL)
        bug = self.add_bug(values.get("short_desc", ""), "NEW", PRODUCT, values)
        bug.description = values.get("comment", "")
        return Answer(200, HEAD + f"<h1>Bug {bug.id} Submitted</h1>" + hidden("id", str(bug.id))
                      + f'<a href="show_bug.cgi?id={bug.id}">Bug {bug.id}</a>' + TAIL, markers=("show_bug.cgi?id=",))

    def attachment(self, request, session):
        bug = self.bugs.get(int(self.text(request.raw("bugid")) or 0))
        if bug is None or request.field("action") != "insert" or len(request.files) != 1:
            return Answer(200, HEAD + "<p>Invalid attachment.</p>" + TAIL)
        _, name, data = request.files[0]
        bug.attachments.append((name.decode(self.charset), data))
        number = len(bug.attachments)
        return Answer(200, HEAD + f'<a href="attachment.cgi?id={number}">Attachment {number}</a> added to Bug {bug.id}'
                      + TAIL, markers=("attachment.cgi",))

    def show_bug(self, request, session):
        bug = self.bugs.get(int(self.query(request).get("id") or 0))
        if bug is None:
            return redirect(self.error_page)
        token = self.token(session, "token")
        # Older pages offer actions ("knob"), newer ones the statuses to move to.
        knobs = (['reopen'] if bug.status in CLOSED else ["resolve", "duplicate"]) if bug.values.get("knobs") else []
        statuses = '<select name="bug_status" id="bug_status">' + "".join(
            f'<option value="{s}"{" selected" if s == bug.status else ""}>{s}</option>'
            for s in [bug.status, *NEXT_STATUSES[bug.status]]) + "</select>\n"
        return Answer(200, HEAD + '<FORM name="changeform" method="post" action="process_bug.cgi">\n'
                      + hidden("delta_ts", "2026-12-01 10:00:00") + hidden("longdesclength", "1")
                      + hidden("id", str(bug.id)) + hidden("token", token)
                      + f'<input name="short_desc" id="short_desc" value="{e(bug.summary)}" size="80">\n'
                      + select("product", [PRODUCT], PRODUCT)
                      + '<label for="component" accesskey="m">Component</label>'
                      + select("component", ["Crash reporter", "Calculator"], "Crash reporter")
                      + select("rep_platform", ["PC"], "PC") + select("op_sys", ["Windows"], "Windows")
                      + select("version", ["0.9", "1.0"], "0.9")
                      + select("priority", ["P3"], "P3") + select("bug_severity", ["critical"], "critical")
                      + select("target_milestone", ["---"], "---")
                      + '<input name="newcc" value=""><input name="qa_contact" value="qa@example.test">\n'
                      '<input name="bug_file_loc" value="http://example.test/faq">'
                      '<input name="status_whiteboard" value="crash">\n'
                      '<input name="keywords" value=""><input name="dependson" value="">'
                      '<input name="blocked" value="">\n'
                      '<textarea name="comment" id="comment" rows="10"></textarea>\n'
                      + statuses + "".join(f'<input type="radio" name="knob" value="{k}">' for k in knobs)
                      + select("resolution", ["", "FIXED"], "FIXED" if bug.status in CLOSED else "")
                      + '<input name="dup_id" value=""><input name="assigned_to" value="dev@example.test">\n'
                      + hidden("form_name", "process_bug") + "</FORM>" + TAIL,
                      markers=('name="form_name"', '<label for="component" accesskey="'))

    def process_bug(self, request, session):
        bug = self.bugs.get(int(self.text(request.raw("id")) or 0))
        if bug is None or request.field("token") != session.get("token"):
            return Answer(200, HEAD + "<p>Suspicious action: the token is not valid.</p>" + TAIL)
        session.pop("token")
        bug.summary = self.text(request.raw("short_desc"))
        bug.values.update({name.decode(): self.text(value) for name, value in request.fields})
        return Answer(200, HEAD + f'<dt>Changes submitted for <a href="show_bug.cgi?id={bug.id}">bug {bug.id}</a></dt>'
                      + TAIL, markers=("show_bug.cgi?id=",))
