#!/usr/bin/python3
"""Loopback mail and DNS peers for the socket, SMTP and MX lookup tests.

    mail_peers.py COMMAND [ARGS...]

Starts, on 127.0.0.1 at free ports:
  - aiosmtpd with AUTH LOGIN (user "reporter", password "s3cret") without TLS,
    writing every message it accepts to the spool folder together with what
    Python's email package read in it (see write_reading); it refuses the
    recipient refused@example.test;
  - a scripted SMTP server for replies that a plain server never gives
    (the scenario is the argument of HELO, see ScriptedSmtp);
  - an SMTP server without AUTH LOGIN that writes every line it receives to
    the spool folder (see NoAuthSmtp);
  - dnsmasq serving MX records of example.test (preferences 20 and 10);
  - a scripted DNS responder for answers that a plain server never gives
    (the scenario is the queried domain, see scripted_answer).
Runs COMMAND with their ports in VX_SMTP_PORT, VX_SCRIPTED_SMTP_PORT,
VX_NOAUTH_SMTP_PORT, VX_DNSMASQ_PORT, VX_SCRIPTED_DNS_PORT and the spool folder (a Windows path
through Wine's Z: drive) in VX_SMTP_SPOOL, then stops exactly what it
started and exits with COMMAND's exit code.
"""
import email
import email.policy
import os
import shutil
import socket
import socketserver
import struct
import subprocess
import sys
import tempfile
import threading
import time

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword

USER, PASSWORD = b"reporter", b"s3cret"


def write_reading(name, content):
    """What Python's email package reads in a message, beside it:
    NAME.defects  the defects of every part and header, one class name a line
    NAME.headers  the From and Subject headers decoded (those present), in UTF-8, one a line
    NAME.text     the first text part without a file name, decoded, in UTF-8
    NAME.names    one line per other part: its content type and file name
    NAME.partK    the K-th of those parts, decoded (K from 1)
    """
    message = email.message_from_bytes(content, policy=email.policy.default)
    headers = [header for header in (message["From"], message["Subject"]) if header is not None]
    defects, text, files = [type(defect).__name__ for header in headers for defect in header.defects], None, []
    for part in message.walk():
        defects += [type(defect).__name__ for defect in part.defects]
        if part.is_multipart():
            continue
        if text is None and part.get_content_maintype() == "text" and part.get_filename() is None:
            try:
                text = part.get_content()
            except LookupError as error:  # a charset Python does not know
                defects.append("LookupError: %s" % error)
            continue
        files.append(part)
    with open(name + ".defects", "w") as out:
        out.writelines(defect + "\n" for defect in defects)
    with open(name + ".headers", "wb") as out:
        out.write("".join("%s\n" % header for header in headers).encode("utf-8"))
    with open(name + ".text", "wb") as out:
        out.write((text or "").encode("utf-8"))
    with open(name + ".names", "w") as out:
        out.writelines("%s %s\n" % (part.get_content_type(), part.get_filename()) for part in files)
    for number, part in enumerate(files, 1):
        with open("%s.part%d" % (name, number), "wb") as out:
            out.write(part.get_payload(decode=True) or b"")


class SpoolHandler:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address == "refused@example.test":
            return "550 no such user"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        user = session.auth_data.login.decode() if isinstance(session.auth_data, LoginPassword) else ""
        name = os.path.join(self.folder, "message%d" % self.count)
        write_reading(name, envelope.original_content)
        with open(name + ".tmp", "wb") as out:
            out.write(b"From: " + envelope.mail_from.encode() + b"\r\n")
            out.write(b"To: " + ",".join(envelope.rcpt_tos).encode() + b"\r\n")
            out.write(b"User: " + user.encode() + b"\r\n\r\n")
            out.write(envelope.original_content)
        os.rename(name + ".tmp", name + ".txt")  # complete when it appears
        return "250 Message accepted"


def authenticate(server, session, envelope, mechanism, auth_data):
    ok = isinstance(auth_data, LoginPassword) and auth_data.login == USER and auth_data.password == PASSWORD
    return AuthResult(success=ok, handled=False, auth_data=auth_data)


class ScriptedSmtp(socketserver.BaseRequestHandler):
    """Greets with a 220 of three lines in three packets, then follows HELO's argument:
    pause    250 whose last line comes 1.5 s later; RCPT TO is refused with 550
    nocode   "ok" without a code
    auth     502 to AUTH LOGIN and to each of the next two lines, then 250 to all
    echo     every line answered "250 " + the line; QUIT: "221 <lines received>"
    endless  a 250 reply of continuation lines that never ends
    close    closes the connection
    silent   never answers
    """

    def send(self, text):
        self.request.sendall(text.encode())

    def lines(self):
        pending = b""
        while True:
            while b"\r\n" not in pending:
                data = self.request.recv(65536)
                if not data:
                    return
                pending += data
            line, pending = pending.split(b"\r\n", 1)
            yield line.decode("latin-1")

    def handle(self):
        for part in ("220-peer.test ready\r\n", "220-second line\r\n", "220 last line\r\n"):
            self.send(part)
            time.sleep(0.05)
        lines = self.lines()
        scenario = next(lines, "").partition(" ")[2]
        if scenario == "pause":
            self.send("250-first part\r\n")
            time.sleep(1.5)
            self.send("250 done\r\n")
            for line in lines:
                self.send("550 no such user\r\n" if line.upper().startswith("RCPT") else "250 ok\r\n")
        elif scenario == "nocode":
            self.send("ok\r\n")
        elif scenario == "auth":
            self.send("250 hello\r\n")
            refused = 0
            for line in lines:
                if line.upper() == "AUTH LOGIN" or 0 < refused < 3:
                    refused += 1
                    self.send("502 not implemented\r\n")
                else:
                    self.send("250 ok\r\n")
        elif scenario == "echo":
            self.send("250 echo\r\n")
            count = 0
            for line in lines:
                count += 1
                self.send("221 %d\r\n" % count if line == "QUIT" else "250 %s\r\n" % line)
        elif scenario == "endless":
            try:
                while True:
                    self.send("250-" + "x" * 1000 + "\r\n")
            except OSError:
                pass
        elif scenario == "silent":
            for _ in lines:
                pass


class NoAuthSmtp(socketserver.BaseRequestHandler):
    """A server that has no AUTH LOGIN: 502 to it, 250 to the other commands,
    354 to DATA and 250 after the data. Before that last 250 it writes every
    line of the connection so far (the data's lines too) to the spool folder
    as noauthN.txt."""
    spool = None
    count = 0

    def handle(self):
        self.request.sendall(b"220 noauth.test ready\r\n")
        received, pending, in_data = [], b"", False
        while True:
            data = self.request.recv(65536)
            if not data:
                return
            pending += data
            while b"\r\n" in pending:
                line, pending = pending.split(b"\r\n", 1)
                received.append(line)
                if in_data and line == b".":
                    in_data = False
                    self.spool_lines(received)
                    self.request.sendall(b"250 accepted\r\n")
                elif in_data:
                    pass
                elif line.upper() == b"DATA":
                    in_data = True
                    self.request.sendall(b"354 go on\r\n")
                else:
                    self.request.sendall(b"502 not implemented\r\n" if line.upper().startswith(b"AUTH") else b"250 ok\r\n")

    @staticmethod
    def spool_lines(lines):
        NoAuthSmtp.count += 1
        name = os.path.join(NoAuthSmtp.spool, "noauth%d" % NoAuthSmtp.count)
        with open(name + ".tmp", "wb") as out:
            out.write(b"\r\n".join(lines) + b"\r\n")
        os.rename(name + ".tmp", name + ".txt")


class ThreadedTcp(socketserver.ThreadingMixIn, socketserver.TCPServer):
    daemon_threads = True
    allow_reuse_address = True


def dns_name(text):
    return b"".join(bytes([len(label)]) + label.encode() for label in text.split(".") if label) + b"\0"


def mx_record(owner, preference, exchange):
    """An MX record of class IN; `owner` and `exchange` are encoded names."""
    data = struct.pack(">H", preference) + exchange
    return owner + struct.pack(">HHIH", 15, 1, 3600, len(data)) + data


def scripted_answer(query):
    """The datagrams that answer `query`, chosen by its domain:
    compressed.test  exchange "mx" + a pointer to the question name
    cname.test       a CNAME record first, then the MX of its target
    empty.test       no answer records
    wrongid.test     an answer with another identifier (bad.test), then ours (good.test)
    onlywrongid.test only an answer with another identifier
    cycle.test       an exchange name whose pointers form a cycle
    id.test          exchange "id<identifier in hex>.test"
    """
    ident = struct.unpack(">H", query[:2])[0]
    end = query.index(b"\0", 12) + 5
    question = query[12:end]
    labels, position = [], 12
    while query[position]:
        labels.append(query[position + 1:position + 1 + query[position]].decode())
        position += 1 + query[position]
    domain = ".".join(labels)
    to_question = b"\xc0\x0c"

    def answer(records, ident=ident):
        return struct.pack(">HHHHHH", ident, 0x8180, 1, len(records), 0, 0) + question + b"".join(records)

    if domain == "compressed.test":
        return [answer([mx_record(to_question, 10, b"\x02mx" + to_question)])]
    if domain == "cname.test":
        target_offset = 12 + len(question) + 12  # the CNAME's data: after owner pointer and fixed part
        target = dns_name("alias.example")
        cname = to_question + struct.pack(">HHIH", 5, 1, 3600, len(target)) + target
        mx = mx_record(struct.pack(">H", 0xC000 | target_offset), 10, b"\x04mail" + struct.pack(">H", 0xC000 | target_offset))
        return [answer([cname, mx])]
    if domain == "empty.test":
        return [answer([])]
    if domain == "wrongid.test":
        return [answer([mx_record(to_question, 10, dns_name("bad.test"))], ident ^ 0x5A5A),
                answer([mx_record(to_question, 10, dns_name("good.test"))])]
    if domain == "onlywrongid.test":
        return [answer([mx_record(to_question, 10, dns_name("bad.test"))], ident ^ 0x5A5A)]
    if domain == "cycle.test":
        first = 12 + len(question) + 12 + 2  # the exchange, after the preference
        return [answer([mx_record(to_question, 10, struct.pack(">H", 0xC000 | first))])]
    if domain == "id.test":
        return [answer([mx_record(to_question, 10, dns_name("id%04x.test" % ident))])]
    return []


class ScriptedDns(socketserver.BaseRequestHandler):
    def handle(self):
        query, sock = self.request
        for datagram in scripted_answer(query):
            sock.sendto(datagram, self.client_address)


def free_udp_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_for_dns(port, process, limit=60.0):
    """Asks until the server answers: dnsmasq is ready when it does (or gone when it ends)."""
    query = struct.pack(">HHHHHH", 7, 0x0100, 1, 0, 0, 0) + dns_name("example.test") + struct.pack(">HH", 15, 1)
    deadline = time.monotonic() + limit
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        probe.settimeout(0.2)
        while time.monotonic() < deadline and process.poll() is None:
            probe.sendto(query, ("127.0.0.1", port))
            try:
                probe.recvfrom(512)
                return
            except OSError:
                continue
    raise RuntimeError("dnsmasq did not answer on port %d" % port)


def start_dnsmasq():
    for _ in range(5):  # the free port may be taken between probe and start
        port = free_udp_port()
        process = subprocess.Popen(
            # -d: in the foreground and without changing user, which a user namespace forbids.
            ["/usr/sbin/dnsmasq", "-d", "--conf-file=/dev/null", "--pid-file=",
             "--port=%d" % port, "--listen-address=127.0.0.1", "--bind-interfaces", "--no-resolv", "--no-hosts",
             "--mx-host=example.test,backup.example.test,20", "--mx-host=example.test,mail.example.test,10"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            wait_for_dns(port, process)
            return process, port
        except RuntimeError:
            process.kill()
            process.wait()
    raise RuntimeError("dnsmasq did not start")


def main():
    spool = tempfile.mkdtemp(prefix="vx-smtp-")
    controller = Controller(SpoolHandler(spool), hostname="127.0.0.1", port=0, authenticator=authenticate,
                            auth_require_tls=False, auth_exclude_mechanism=["PLAIN"])
    # aiosmtpd 1.4 has no port 0: give it a free one.
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        controller.port = probe.getsockname()[1]
    controller.start()
    scripted_smtp = ThreadedTcp(("127.0.0.1", 0), ScriptedSmtp)
    NoAuthSmtp.spool = spool
    noauth_smtp = ThreadedTcp(("127.0.0.1", 0), NoAuthSmtp)
    scripted_dns = socketserver.ThreadingUDPServer(("127.0.0.1", 0), ScriptedDns)
    for server in (scripted_smtp, noauth_smtp, scripted_dns):
        threading.Thread(target=server.serve_forever, daemon=True).start()
    dnsmasq, dnsmasq_port = start_dnsmasq()
    env = dict(os.environ,
               VX_SMTP_PORT=str(controller.port),
               VX_SCRIPTED_SMTP_PORT=str(scripted_smtp.server_address[1]),
               VX_NOAUTH_SMTP_PORT=str(noauth_smtp.server_address[1]),
               VX_DNSMASQ_PORT=str(dnsmasq_port),
               VX_SCRIPTED_DNS_PORT=str(scripted_dns.server_address[1]),
               VX_SMTP_SPOOL="Z:" + spool.replace("/", "\\"))
    try:
        return subprocess.call(sys.argv[1:], env=env)
    finally:
        dnsmasq.terminate()
        dnsmasq.wait()
        for server in (scripted_smtp, noauth_smtp, scripted_dns):
            server.shutdown()
            server.server_close()
        controller.stop()
        shutil.rmtree(spool, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
