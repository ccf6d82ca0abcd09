"""A small forward proxy on 127.0.0.1: takes requests in absolute form,
records the request line and its Proxy-Authorization, and passes them on to
the same port on 127.0.0.1 whatever the host name (the tests name hosts that
exist nowhere else, so only a request through the proxy can arrive)."""
import http.client
import http.server
import threading
import urllib.parse

from loopback_server import LoopbackServer
from records import hexed


class ProxyHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    log_path = None  # one line per request, appended as it arrives
    log_lock = threading.Lock()

    def log_message(self, *args):
        pass

    def relay(self):
        url = urllib.parse.urlsplit(self.path)
        body = self.rfile.read(int(self.headers.get("Content-Length", "0") or 0))
        line = f"{self.command} {hexed(self.path)} {hexed(self.headers.get('Proxy-Authorization', ''))}\n"
        with self.log_lock, open(self.log_path, "a") as log:
            log.write(line)
        headers = {k: v for k, v in self.headers.items()
                   if k.lower() not in ("proxy-authorization", "proxy-connection", "connection", "host")}
        upstream = http.client.HTTPConnection("127.0.0.1", url.port or 80, timeout=60)
        target = url.path + ("?" + url.query if url.query else "")
        upstream.request(self.command, target, body=body, headers=headers)
        answer = upstream.getresponse()
        data = answer.read()
        self.send_response(answer.status, answer.reason)
        for name, value in answer.getheaders():
            if name.lower() not in ("transfer-encoding", "connection", "content-length"):
                self.send_header(name, value)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)
        upstream.close()

    do_GET = relay
    do_POST = relay


class Proxy(LoopbackServer):
    def __init__(self, log_path):
        self.log_path = log_path
        open(log_path, "w").close()
        super().__init__(type("BoundProxyHandler", (ProxyHandler,), {"log_path": log_path}))
