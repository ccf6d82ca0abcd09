"""Starts the loopback peers of the web tests, runs one command with their
ports in its environment, then stops exactly what it started.

  run_with_peers.py [--php] [--trust-with WINE] -- COMMAND...

With --trust-with, the test authority is trusted in the Wine prefix (WINE is
the command that runs Windows programs there) while COMMAND runs.

Environment given to COMMAND: VX_HTTP_PORT, VX_PROXY_PORT, VX_FTP_PORT,
VX_FTP_USER, VX_FTP_PASSWORD, VX_FTP_ROOT, VX_RECORDS, VX_PROXY_LOG,
VX_HTTPS_<GOOD|WRONG_NAME|EXPIRED|UNTRUSTED>_PORT, VX_TEST_CA (the test
authority, DER) and, with --php, VX_PHP_PORT. Exit code: COMMAND's; 77
(skipped) with --php when PHP's command-line interpreter is missing.
"""
import os
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import forward_proxy  # noqa: E402
import ftp_server  # noqa: E402
import test_certificates  # noqa: E402
import wine_trust  # noqa: E402
import web_server  # noqa: E402

SKIPPED = 77


def tls_wrapper(cert, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return lambda sock: context.wrap_socket(sock, server_side=True)


def wait_for_port(port, process, deadline_s=60):
    """Until the port accepts, the process ends, or a generous deadline passes."""
    end = time.monotonic() + deadline_s
    while time.monotonic() < end and process.poll() is None:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return True
        except OSError:
            time.sleep(0.05)
    return False


def start_php(folder, records):
    php = shutil.which("php")
    if php is None:
        return None, None
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    docroot = os.path.join(os.path.dirname(os.path.abspath(__file__)), "php")
    env = dict(os.environ, VX_RECORDS=records)
    process = subprocess.Popen([php, "-S", f"127.0.0.1:{port}", "-t", docroot], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, cwd=folder)
    if not wait_for_port(port, process):
        process.kill()
        process.wait()
        raise RuntimeError("PHP's built-in server did not start")
    return process, port


def main():
    args = sys.argv[1:]
    options = args[: args.index("--")]
    want_php = "--php" in options
    trust_with = options[options.index("--trust-with") + 1] if "--trust-with" in options else None
    command = args[args.index("--") + 1:]
    folder = tempfile.mkdtemp(prefix="vx_web_peers_")
    records = os.path.join(folder, "records")
    ftp_root = os.path.join(folder, "ftp")
    os.makedirs(records)
    os.makedirs(ftp_root)
    stops = []
    php = None
    try:
        if want_php:
            php, php_port = start_php(folder, records)
            if php is None:
                print("php not installed: PHP upload tests skipped")
                return SKIPPED
        env = dict(os.environ, VX_RECORDS=records, VX_FTP_ROOT=ftp_root, VX_FTP_USER=ftp_server.USER,
                   VX_FTP_PASSWORD=ftp_server.PASSWORD)
        if php:
            env["VX_PHP_PORT"] = str(php_port)
        crls = os.path.join(folder, "crls")
        os.makedirs(crls)
        http = web_server.Server(records, crls)
        stops.append(http.stop)
        proxy = forward_proxy.Proxy(os.path.join(folder, "proxy.txt"))
        stops.append(proxy.stop)
        ftp = ftp_server.FtpServer(ftp_root)
        stops.append(ftp.stop)
        env.update(VX_HTTP_PORT=str(http.port), VX_PROXY_PORT=str(proxy.port), VX_FTP_PORT=str(ftp.port),
                   VX_PROXY_LOG=proxy.log_path)
        os.makedirs(os.path.join(folder, "certs"))
        certificates = test_certificates.make_all(os.path.join(folder, "certs"), http.crls,
                                                  f"http://127.0.0.1:{http.port}/crl")
        env["VX_TEST_CA"] = certificates["authority"]
        for kind in ("good", "wrong-name", "expired", "untrusted"):
            server = web_server.Server(records, http.crls, tls_wrapper(*certificates[kind]))
            stops.append(server.stop)
            env[f"VX_HTTPS_{kind.upper().replace('-', '_')}_PORT"] = str(server.port)

        if trust_with:
            trusted = wine_trust.TrustedAuthority(trust_with, certificates["authority"])
            stops.append(trusted.remove)
        return subprocess.run(command, env=env).returncode
    finally:
        for stop in reversed(stops):
            stop()
        if php is not None:
            php.terminate()
            php.wait()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
