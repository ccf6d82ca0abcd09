"""What the tracker stand-ins share: the HTTP front (strict form parsing,
sessions by cookie, the journal of requests), the bugs they keep and the
switches that make one step answer wrongly.

A site answers under its own prefix ("/mantis/", ...). Every request is
journalled in order as a Request, known by its step (the page, or
for a site of one page what it was asked to do); a body the strict parser refuses is
answered with 400 and kept in `refused`. `wrong[step]` makes that step answer
wrongly: "page" (a redirect to an error page instead; nothing is changed),
"marker" (the usual answer without the texts a client checks for) or 500.
"""
import html
import http.server
import secrets
import threading
import traceback
import urllib.parse
from dataclasses import dataclass, field

from strict_form import FormError, parse_pairs, parse_request


@dataclass
class Request:
    method: str
    page: str
    query: list  # [(name, value)] of bytes
    fields: list
    files: list  # [(field, file name, bytes)]
    step: str = ""  # the page, or what the site's one page was asked to do

    def names(self):
        return [name.decode("latin-1") for name, _ in self.fields]

    def raw(self, name):
        """The first field named `name` as it came; None without one."""
        values = [value for n, value in self.fields if n == name.encode("latin-1")]
        return values[0] if values else None

    def field(self, name, charset="latin-1"):
        value = self.raw(name)
        return value.decode(charset) if value is not None else None


@dataclass
class Bug:
    id: int
    summary: str
    status: int = 10
    project: str = ""
    description: str = ""
    values: dict = field(default_factory=dict)  # other fields as the tracker stored them
    attachments: list = field(default_factory=list)  # [(file name, bytes)]


@dataclass
class Answer:
    status: int = 200
    body: str = ""
    headers: list = field(default_factory=list)
    markers: tuple = ()  # what the "marker" switch takes out


def redirect(location, headers=()):
    return Answer(302, "<html><body>Moved</body></html>", [("Location", location), *headers])


def e(text):
    """Text for an attribute or element."""
    return html.escape(text, quote=True)


class Site:
    prefix = "/"
    charset = "utf-8"
    error_page = "error.html"

    def __init__(self):
        self.lock = threading.Lock()
        self.reset()

    def reset(self):
        self.bugs = {}
        self.journal = []
        self.refused = []
        self.wrong = {}
        self.sessions = {}  # session id -> dict of what the session holds
        self.next_id = 101

    def add_bug(self, summary, status=10, project="", values=None):
        bug = Bug(self.next_id, summary, status, project, values=dict(values or {}))
        self.bugs[bug.id] = bug
        self.next_id += 1
        return bug

    def text(self, value):
        return value.decode(self.charset) if value is not None else ""

    def new_session(self):
        sid = secrets.token_hex(8)
        self.sessions[sid] = {}
        return sid

    def token(self, session, name):
        """A fresh form token of the session, which the next post must bring back."""
        session[name] = secrets.token_hex(6)
        return session[name]

    def step_of(self, request):
        """The name journal entries and switches know a request by."""
        return request.page

    def answer(self, request, session, sid):  # overridden: the site's pages
        raise NotImplementedError

    def wrong_answer(self, mode):
        if mode == 500:
            return Answer(500, "<html><body>Internal Server Error</body></html>")
        return redirect(self.error_page)

    def serve(self, request, cookies):
        with self.lock:
            request.step = self.step_of(request)
            self.journal.append(request)
            mode = self.wrong.get(request.step)
            if mode in ("page", 500):
                return self.wrong_answer(mode)
            if request.page == self.error_page:
                return Answer(200, "<html><body><p>Something went wrong.</p></body></html>")
            sid = cookies.get("SID")
            session = self.sessions.get(sid)
            answer = self.answer(request, session, sid)
            if mode == "marker":
                for marker in answer.markers:
                    answer.body = answer.body.replace(marker, "")
            return answer


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # As web servers do: the body does not wait for the client to acknowledge the headers.
    disable_nagle_algorithm = True
    sites = {}  # prefix -> Site

    def log_message(self, *args):
        pass

    def do_GET(self):
        self.handle_form(b"")

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        self.handle_form(self.rfile.read(length) if length else b"")

    def handle_form(self, body):
        url = urllib.parse.urlsplit(self.path)
        site = next((s for prefix, s in self.sites.items() if url.path.startswith(prefix)), None)
        if site is None:
            return self.send(Answer(404, "no such site"), "utf-8")
        try:
            query = parse_pairs(url.query.encode("latin-1"))
            fields, files = ([], []) if self.command == "GET" else parse_request(
                self.headers.get("Content-Type"), int(self.headers.get("Content-Length", "-1")), body)
        except FormError as error:
            with site.lock:
                site.refused.append(f"{self.command} {self.path}: {error}")
            return self.send(Answer(400, str(error)), "utf-8")
        cookies = {}
        for part in (self.headers.get("Cookie") or "").split(";"):
            name, _, value = part.strip().partition("=")
            cookies[name] = value
        request = Request(self.command, url.path[len(site.prefix):], query, fields, files)
        try:
            answer = site.serve(request, cookies)
        except Exception:  # the stand-in's own fault: the test must see it
            with site.lock:
                site.refused.append(f"{self.command} {self.path}: {traceback.format_exc()}")
            answer = Answer(500, "stand-in fault")
        self.send(answer, site.charset)

    def send(self, answer, charset):
        body = answer.body.encode(charset)
        self.send_response(answer.status)
        for name, value in answer.headers:
            self.send_header(name, value)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


class TrackerServer:
    """The stand-ins on 127.0.0.1 at a free port, from a thread of their own."""

    def __init__(self, sites):
        handler = type("SiteHandler", (Handler,), {"sites": {site.prefix: site for site in sites}})
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.httpd.daemon_threads = True
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()
