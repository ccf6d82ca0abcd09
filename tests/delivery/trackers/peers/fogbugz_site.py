"""A stand-in FogBugz: one page, default.asp, that logs on, searches,
shows the case editor and takes submitted cases, with its login cookie and
the editor's action token in the submission address. Its pages are in the
Chinese ANSI code page and declare no UTF-8, so texts arrive as they are."""
from tracker_site import Answer, Site, e, redirect

USER, PASSWORD = "reporter", "s3cret"
TRIAL_ID = "T-5521"
PROJECTS = {"1": "Zorvik", "2": "Inbox"}
AREAS = {"11": "Zorvik: Misc", "12": "Zorvik: 崩溃", "21": "Inbox: Misc"}
PEOPLE = {"1": "Administrator", "3": "王工"}
CLOSED = ("Closed", "Resolved")

HEAD = ('<html><head><meta http-equiv="Content-Type" content="text/html; charset=gb2312">'
        "<title>FogBugz</title></head><body>")
NAV = '<a href="default.asp?pre=preLogOff">Log Off</a> <a href="default.asp?command=new&amp;pg=pgEditBug">New Case</a>'
TAIL = "</body></html>"


def select(name, choices, selected=None):
    rows = "".join(f"<OPTION VALUE='{v}'{' SELECTED' if v == selected else ''}>{e(t)}" for v, t in choices.items())
    return f"<SELECT NAME='{name}'>{rows}</SELECT>\n"


def inputs(values):
    return "".join(f'<input type="hidden" name="{n}" value="{e(v)}" />\n' for n, v in values.items())


class FogBugzSite(Site):
    prefix = "/fogbugz/"
    charset = "gbk"
    error_page = "error.asp"

    def reset(self):
        super().reset()
        self.trial_required = False

    def step_of(self, request):
        if request.page != "default.asp":
            return request.page
        asked = dict(request.query + request.fields)
        if b"pre" in asked:
            return "default.asp:" + asked[b"pre"].decode("latin-1")
        return "default.asp:" + asked.get(b"command", b"").decode("latin-1")

    def answer(self, request, session, sid):
        if request.step == "default.asp:preLogon":
            return self.log_on(request)
        if session is None:
            return Answer(200, HEAD + '<form method="post" action="default.asp"><input name="sPerson"></form>' + TAIL)
        handler = {"default.asp:": self.start_page, "default.asp:preSearch": self.search,
                   "default.asp:new": self.new_case,
                   "default.asp:edit": self.edit_case, "default.asp:preSubmitBug": self.submit}.get(request.step)
        return handler(request, session) if handler else Answer(404, "no such page")

    def log_on(self, request):
        person = (request.field("sPerson"), request.field("sPassword"), request.field("fRememberPassword"))
        trial = request.field("ID")
        if person != (USER, PASSWORD, "0") or (self.trial_required and trial != TRIAL_ID):
            return Answer(200, HEAD + "<p>Incorrect password or username.</p>" + TAIL)
        return redirect("default.asp", [("Set-Cookie", f"SID={self.new_session()}; path=/")])

    def start_page(self, request, session):
        return Answer(200, HEAD + NAV + "<p>Welcome.</p>" + TAIL, markers=("pre=preLogOff",))

    def query(self, request):
        return {name.decode(): self.text(value) for name, value in request.query}

    def search(self, request, session):
        wanted = self.query(request).get("searchFor", "")
        rows = "".join(f'<tr><td><a href="default.asp?pgx=EV&amp;ixBug={bug.id}">{bug.id}</a></td>'
                       f"<td>{e(bug.summary)}</td><td>{bug.status}</td></tr>"
                       for bug in self.bugs.values() if wanted.lower() in bug.summary.lower())
        return Answer(200, HEAD + NAV + f'<a href="default.asp?pg=pgList&amp;searchFor={e(wanted)}">Refresh</a>'
                      f"<table>{rows}</table>" + TAIL, markers=("searchFor=",))

    def editor(self, session, case, values):
        token = self.token(session, "sActionToken")
        return (HEAD + NAV + f'<form method="POST" enctype="multipart/form-data" name="formWithAttachment" '
                f'action="default.asp?pre=preSubmitBug&sActionToken={token}">\n' + inputs(values)
                + f'<input type="text" name="sTitle" size="60" value="{e(case.summary if case else "")}">\n'
                + select("ixProject", PROJECTS, "1") + select("ixArea", AREAS, "11")
                + select("ixPersonAssignedTo", PEOPLE, "1") + select("ixCategory", {"1": "Bug", "2": "Feature"}, "1")
                + select("ixFixFor", {"1": "Undecided"}, "1")
                + select("ixPriority", {"3": "3 - Must Fix", "1": "1"}, "3")
                + '<textarea name="sEvent" rows="8"></textarea>\n'
                + '<input type="file" name="File1"><input type="submit" name="OK" value="OK">\n</form>')

    def new_case(self, request, session):
        values = {"command": "new", "dtTimeStamp": "12/11/2026 10:00:00 AM", "ixBug": "0", "ixBugEventLatest": "0",
                  "ixPersonLastOwner": "1", "ixDiscussTopic": "0", "ixScreenshot": "0", "sOriginalTitle": "",
                  "sDueDate": "", "sDueTime": "", "hrsElapsedNew": "0", "omitAtt": "", "fIEFileBrowse": "0",
                  "sComputer": "", "dblTimeStamp": "45637.41"}
        return Answer(200, self.editor(session, None, values) + TAIL)

    def edit_case(self, request, session):
        case = self.bugs.get(int(self.query(request).get("ixBug") or 0))
        if case is None:
            return redirect(self.error_page)
        values = {"command": "edit", "dtTimeStamp": "12/11/2026 10:05:00 AM", "ixBugEventLatest": "7",
                  "ixPersonLastOwner": "1", "ixDiscussTopic": "0", "ixScreenshot": "0", "sOriginalTitle": case.summary,
                  "sEvent": "", "sDueDate": "", "sDueTime": "", "hrsCurrEstNew": "0", "hrsElapsedNew": "0",
                  "dblTimeStamp": "45637.42", "fIEFileBrowse": "0", "idSubscriptionState": "1", "nFileCount": "0",
                  "omitAtt": "", "sComputer": ""}
        notes = ('<a href="default.asp?pg=pgEditReleaseNotes&amp;ixBug=%d">Release Notes</a>' % case.id
                 if case.status in CLOSED else "")
        return Answer(200, self.editor(session, case, values) + notes + TAIL, markers=('name="OK"',))

    def submit(self, request, session):
        token = self.query(request).get("sActionToken")
        if token is None or token != session.get("sActionToken"):
            return Answer(200, HEAD + "<p>This action is not allowed: the page has expired.</p>" + TAIL)
        session.pop("sActionToken")
        values = {name.decode(): self.text(value) for name, value in request.fields}
        if values.get("command") == "new":
            case = self.add_bug(values.get("sTitle", ""), "Active", PROJECTS.get(values.get("ixProject"), ""), values)
            case.description = values.get("sEvent", "")
        else:
            case = self.bugs.get(int(values.get("ixBug") or 0))
            if case is None:
                return redirect(self.error_page)
            case.summary = values.get("sTitle", "")
            case.values.update(values)
        case.attachments += [(name.decode(self.charset), data) for _, name, data in request.files]
        return Answer(200, HEAD + NAV + f'<a href="default.asp?command=resolve&amp;ixBug={case.id}">Resolve</a>' + TAIL,
                      markers=("command=resolve",))
