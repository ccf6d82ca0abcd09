"""An HTTP server of the tests: threaded, on 127.0.0.1 at a port the system
picks, serving from a thread of its own until stopped."""
import http.server
import threading


class LoopbackServer:
    def __init__(self, handler, wrap=None):
        """`handler`: the request handler class; `wrap` turns the listening socket into a TLS one."""
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.httpd.daemon_threads = True
        if wrap:
            self.httpd.socket = wrap(self.httpd.socket)
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()
