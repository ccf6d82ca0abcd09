"""The HTTP(S) endpoint of the web tests: uploads parsed and recorded, pages
that echo a request as a form, redirects, refreshes and oversized answers."""
import base64
import html
import http.server
import re
import urllib.parse

from loopback_server import LoopbackServer
from records import parse_form, record_lines, write_record

MB = 1024 * 1024


def echo_page(method, path, headers, fields, files):
    """The request as a form page, for the form reader to read back."""
    def attr(value):
        if isinstance(value, bytes):
            value = value.decode("latin-1")
        return html.escape(value, quote=True)
    auth = headers.get("Authorization", "")
    if auth.startswith("Basic "):
        auth = base64.b64decode(auth[6:]).decode("latin-1")
    rows = [f'<input type="hidden" name="method" value="{attr(method)}">',
            f'<input type="hidden" name="path" value="{attr(path)}">',
            f'<input type="hidden" name="auth" value="{attr(auth)}">']
    rows += [f'<input type="text" name="field:{attr(name)}" value="{attr(value)}">' for name, value in fields]
    rows += [f'<textarea name="file:{attr(name)}">{attr(filename)} {len(data)}</textarea>'
             for name, filename, data in files]
    return ("<html><head><title>Echo</title></head><body><form>\r\n" + "\r\n".join(rows) +
            "\r\n</form></body></html>\r\n").encode("latin-1")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    records = None  # the folder records are written to
    crls = None  # the folder of the test authorities' revocation lists

    def log_message(self, *args):
        pass

    def answer(self, status, body=b"", headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def request_body(self):
        length = int(self.headers.get("Content-Length", "0"))
        return self.rfile.read(length) if length else b""

    def do_GET(self):
        self.handle_request(b"")

    def do_POST(self):
        self.handle_request(self.request_body())

    def handle_request(self, body):
        url = urllib.parse.urlsplit(self.path)
        fields, files = [], []
        query = dict(urllib.parse.parse_qsl(url.query))
        path = url.path
        try:
            if not path.startswith("/sink/"):
                fields, files = parse_form(self.headers.get("Content-Type", ""), body)
        except Exception as error:  # a body the parser refuses is an answer, not a crash
            self.answer(400, str(error).encode())
            return
        record = record_lines(self.command, self.path, self.headers, fields, files, len(body))

        if path.startswith("/upload/"):
            write_record(self.records, path[len("/upload/"):], record)
            wanted = query.get("auth")
            if wanted and self.headers.get("Authorization") != "Basic " + base64.b64encode(wanted.encode()).decode():
                self.answer(401, b"Who are you?", [("WWW-Authenticate", 'Basic realm="t"')])
            elif "status" in query:
                self.answer(int(query["status"]), b"refused")
            else:
                self.answer(200, b"OK")
        elif path.startswith("/sink/"):  # the body kept as it came, for the benchmark to check afterwards
            with open(f"{self.records}/{path[len('/sink/'):]}.body", "wb") as out:
                out.write(self.headers.get("Content-Type", "").encode("latin-1") + b"\n" + body)
            self.answer(200, b"OK")
        elif path.startswith("/echo/"):
            write_record(self.records, path[len("/echo/"):], record)
            self.answer(200, echo_page(self.command, self.path, self.headers, fields, files))
        elif m := re.fullmatch(r"/hops/(\d+)", path):  # n redirects to /echo/hops
            left = int(m.group(1))
            target = f"/hops/{left - 1}" if left > 1 else "/echo/hops"
            self.answer(302, b"", [("Location", target)])
        elif path == "/loop":
            self.answer(302, b"", [("Location", "/loop")])
        elif path == "/refresh-self":
            self.answer(200, b"again", [("Refresh", "0; url=/refresh-self")])
        elif path == "/dir/refresh":
            self.answer(200, b"wait", [("Refresh", "1; URL=landing")])
        elif path == "/dir/landing":
            self.answer(200, b"<p>landed</p>")
        elif path == "/post-redirect":
            write_record(self.records, "post-redirect", record)
            self.answer(302, b"", [("Location", "/echo/after-post")])
        elif path == "/moved":
            self.answer(301, b"", [("Location", "/elsewhere/new.php?x=1")])
        elif m := re.fullmatch(r"/crl/([a-z-]+\.crl)", path):
            with open(f"{self.crls}/{m.group(1)}", "rb") as crl:
                self.answer(200, crl.read(), [("Content-Type", "application/pkix-crl")])
        elif m := re.fullmatch(r"/bytes/(\d+)", path):
            size = int(m.group(1))
            self.answer(200, bytes(i % 251 for i in range(size)))
        else:
            self.answer(404, b"no such page")


class Server(LoopbackServer):
    """The endpoint on 127.0.0.1 at a free port; `wrap` makes it HTTPS."""

    def __init__(self, records, crls, wrap=None):
        self.crls = crls
        super().__init__(type("BoundHandler", (Handler,), {"records": records, "crls": crls}), wrap)
