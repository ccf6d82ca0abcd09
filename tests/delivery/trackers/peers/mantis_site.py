"""A stand-in Mantis: the pages and form posts a report filing goes
through, in UTF-8, with its session cookie and form security tokens."""
from tracker_site import Answer, Site, e, redirect

USER, PASSWORD = "reporter", "密码s3cret"  # a password the login only takes in UTF-8
PROJECTS = {"1": "Zorvik", "2": "Zorvik素材计算工具", "3": "Other & Co"}
CATEGORIES = {"1": "General", "4": "崩溃"}
HANDLERS = {"0": "", "7": "developer", "8": "王工"}
CLOSED = (80, 90)

HEAD = ('<html><head><meta http-equiv="Content-Type" content="text/html; charset=utf-8" /><title>Mantis</title>'
        '</head><body>')
TAIL = "</body></html>"


def options(choices, selected=None, style="double"):
    rows = []
    for value, text in choices.items():
        mark = ' selected="selected"' if value == selected else ""
        rows.append(f"<option value='{value}'{mark}>{e(text)}</option>" if style == "single"
                    else f'<option value="{value}"{mark}>{e(text)}</option>')
    return "".join(rows)


class MantisSite(Site):
    prefix = "/mantis/"
    error_page = "error_page.php"

    def answer(self, request, session, sid):
        page = request.page
        if page == "login.php" and request.method == "POST":
            return self.login(request)
        if page == "login_page.php":
            return self.login_form(request, session)
        if session is None:
            return redirect("login_page.php")
        handler = getattr(self, page.replace(".php", ""), None)
        return handler(request, session) if handler else Answer(404, "no such page")

    def login(self, request):
        if (self.text(request.raw("username")), self.text(request.raw("password"))) != (USER, PASSWORD):
            return redirect("login_page.php?error=1")
        sid = self.new_session()
        return redirect("/mantis/" + request.field("return"), [("Set-Cookie", f"SID={sid}; path=/")])

    def login_form(self, request, session):
        return Answer(200, HEAD + '<form action="login.php" method="post"><input type="text" name="username"/>'
                      '<input type="password" name="password"/></form>' + TAIL)

    def login_select_proj_page(self, request, session):
        return Answer(200, HEAD + '<form method="post" action="set_project.php">\n'
                      '<SELECT name="project_id" class="small">' + options(PROJECTS) + "</SELECT>\n"
                      "<input type='submit' class='button' value='Select Project' /></form>" + TAIL,
                      markers=('name="project_id"',))

    def set_project(self, request, session):
        project = self.text(request.raw("project_id"))
        if project not in PROJECTS:
            return redirect("error_page.php")
        session["project"] = project
        return redirect("my_view_page.php")

    def my_view_page(self, request, session):
        chosen = session.get("project", "1")
        return Answer(200, HEAD + '<a href="bug_report_page.php">Report Issue</a>\n'
                      '<form method="post" name="form_set_project" action="set_project.php">'
                      '<select name="project_id" onchange="this.form.submit();">' +
                      options({chosen: PROJECTS[chosen]}, chosen) + "</select></form>" + TAIL,
                      markers=(">" + e(PROJECTS[chosen]) + "</option>",))

    def view_all_set(self, request, session):
        if [(n, v) for n, v in request.query] != [(b"f", b"3")] or request.field("type") != "1":
            return redirect("error_page.php")
        session["search"] = self.text(request.raw("search"))
        return redirect("view_all_bug_page.php")

    def view_all_bug_page(self, request, session):
        wanted = session.get("search", "").lower()
        project = PROJECTS[session.get("project", "1")]
        rows = [f'<tr><td><a href="bug_update_page.php?bug_id={bug.id}"><img src="images/update.png" /></a></td>'
                f'<td><a href="view.php?id={bug.id}">{bug.id:07d}</a></td><td>{e(bug.summary)}</td></tr>'
                for bug in self.bugs.values() if bug.project == project and wanted in bug.summary.lower()]
        return Answer(200, HEAD + '<form method="get" name="filters" action="view_all_set.php?f=3">'
                      '<input type="hidden" name="type" value="1" />'
                      '<INPUT TYPE="submit" NAME="reset_query_button" class="button-small" VALUE="Reset" />'
                      '<input type="hidden" name="source_query_id" value="-1" /></form>'
                      "<table>" + "".join(rows) + "</table>" + TAIL,
                      markers=('name="reset_query_button"', 'NAME="reset_query_button"', 'name="source_query_id"'))

    def bug_report_advanced_page(self, request, session):
        token = self.token(session, "bug_report_token")
        project = session.get("project", "1")
        return Answer(200, HEAD +
                      '<form name="report_bug_form" method="post" enctype="multipart/form-data"'
                      ' action="bug_report.php">\n'
                      f'<input type="hidden" name="m_id" value="0" />\n'
                      f"<input type='hidden' name='project_id' value='{project}' />\n"
                      f'<input type="hidden" name="bug_report_token" value="{token}"/>\n'
                      '<select name="category">' + options(CATEGORIES, style="single") + "</select>\n"
                      '<select tabindex="2" name="category_id">' + options(CATEGORIES) + "</select>\n"
                      '<select name="reproducibility"><option value="10">always</option>'
                      '<option value="70">have not tried</option></select>\n'
                      '<select name="severity"><option value="10">feature</option>'
                      '<OPTION VALUE="50" SELECTED>minor</OPTION>'
                      '<option value="70">crash</option></select>\n'
                      "<select name='priority'><option value='20'>low</option>"
                      "<option value='30' selected='selected'>normal</option></select>\n"
                      '<input type="text" name="platform" value="x86 &amp; PC" size="32" />\n'
                      '<select name="handler_id">' + options(HANDLERS) + "</select>\n"
                      '<input tabindex="9" name="summary" type="text" size="105" maxlength="128" value="" />\n'
                      '<textarea name="description" cols="80" rows="10"></textarea>\n'
                      '<input type="hidden" name="max_file_size" value="5000000" />\n'
                      '<input tabindex="11" name="file" type="file" size="60" />\n'
                      '<input type="checkbox" name="report_stay" />\n'
                      "</form>" + TAIL, markers=('name="file" type="file"',))

    def bug_report(self, request, session):
        if request.method != "POST" or request.field("bug_report_token") != session.get("bug_report_token"):
            return Answer(200, HEAD + "<p>APPLICATION ERROR #2800: invalid form security token.</p>" + TAIL)
        session.pop("bug_report_token")
        values = {name.decode(): self.text(value) for name, value in request.fields}
        bug = self.add_bug(values.get("summary", ""), 10, PROJECTS[self.text(request.raw("project_id"))], values)
        bug.description = values.get("description", "")
        bug.attachments = [(name.decode(self.charset), data) for field, name, data in request.files if name]
        return Answer(200, HEAD + f'<div>Operation successful.</div>'
                                  f'<a href="view.php?id={bug.id}">View Submitted Issue {bug.id}</a>' + TAIL,
                      markers=('href="view.php?id=',))

    def bug_update_page(self, request, session):
        bug = self.bugs.get(int(self.text(dict(request.query).get(b"bug_id", b"0")) or 0))
        if bug is None:
            return redirect("error_page.php")
        token = self.token(session, "bug_update_token")
        statuses = {"10": "new", "50": "assigned", "80": "resolved", "90": "closed"}
        return Answer(200, HEAD +
                      '<form name="update_bug_form" method="post" action="bug_update.php">\n'
                      f'<input type="hidden" name="bug_id" value="{bug.id}" />\n'
                      '<input type="hidden" name="update_mode" value="1" />\n'
                      f'<input type="hidden" name="bug_update_token" value="{token}" />\n'
                      '<select name="category">' + options(CATEGORIES, "1") + "</select>\n"
                      '<select name="severity">' + options({"50": "minor", "70": "crash"}, "70") + "</select>\n"
                      '<select name="reproducibility">' + options({"10": "always"}, "10") + "</select>\n"
                      '<select name="reporter_id">' + options({"5": "reporter"}, "5") + "</select>\n"
                      '<select name="view_state">' + options({"10": "public", "50": "private"}, "10") + "</select>\n"
                      '<select name="handler_id">' + options(HANDLERS, "7") + "</select>\n"
                      '<select name="priority">' + options({"30": "normal"}, "30") + "</select>\n"
                      '<select name="status">' + options(statuses, str(bug.status)) + "</select>\n"
                      '<select name="resolution">' + options({"10": "open", "20": "fixed"}, "10") + "</select>\n"
                      '<input tabindex="13" type="text" name="summary" size="105" maxlength="128"'
                      f' value="{e(bug.summary)}" />\n'
                      f'<textarea name="description" cols="80" rows="10">\n{e(bug.description)}\n</textarea>\n'
                      '<textarea name="additional_information" cols="80" rows="10"></textarea>\n'
                      '<textarea name="bugnote_text" cols="80" rows="10"></textarea>\n'
                      '<select name="category_id">' + options(CATEGORIES, "4") + "</select>\n"
                      "</form>" + TAIL, markers=('name="severity"',))

    def bug_update(self, request, session):
        bug = self.bugs.get(int(request.field("bug_id") or 0))
        if bug is None or request.field("bug_update_token") != session.get("bug_update_token"):
            return Answer(200, HEAD + "<p>APPLICATION ERROR #2800: invalid form security token.</p>" + TAIL)
        session.pop("bug_update_token")
        bug.summary = self.text(request.raw("summary"))
        bug.values.update({name.decode(): self.text(value) for name, value in request.fields})
        return redirect(f"view.php?id={bug.id}")

    def view(self, request, session):
        return Answer(200, HEAD + '<a href="view.php?id=1">first</a> Issue updated.' + TAIL,
                      markers=('href="view.php?id=',))
