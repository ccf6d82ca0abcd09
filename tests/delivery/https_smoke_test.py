#!/usr/bin/env python3
"""A Windows program fetches a page over HTTPS from a server on 127.0.0.1
whose certificate is self-signed and made for this run by openssl: Wine's
secure connections work on this machine (they need the 32-bit TLS library).
The server is reached as "localhost": Wine matches a certificate against the
host's DNS names only, so a certificate for the address 127.0.0.1 fails the
name check.

    https_smoke_test.py WINE_SH HTTPS_GET_EXE
"""
import http.server
import os
import ssl
import subprocess
import sys
import tempfile
import threading

BODY = b"secure connections work\n"


class Page(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        if self.path != "/probe":
            self.send_error(404)
            return
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(BODY)))
        self.end_headers()
        self.wfile.write(BODY)

    def log_message(self, *args):
        pass


def main():
    wine_sh, program = sys.argv[1:3]
    with tempfile.TemporaryDirectory() as folder:
        cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost",
                        "-keyout", key, "-out", cert], check=True, capture_output=True)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Page)
        server.socket = context.wrap_socket(server.socket, server_side=True)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        try:
            run = subprocess.run([wine_sh, program, "localhost", str(server.server_address[1]), "/probe"],
                                 capture_output=True, timeout=240)
        finally:
            server.shutdown()
    if run.returncode != 0 or run.stdout != BODY:
        print(f"FAIL: exit code {run.returncode}, body {run.stdout!r}, errors {run.stderr.decode(errors='replace')}")
        return 1
    print("https_smoke: the page arrived over HTTPS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
