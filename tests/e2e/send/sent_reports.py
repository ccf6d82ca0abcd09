#!/usr/bin/python3
"""Copies of the calculator whose embedded options send their reports to the
loopback peers, the end-to-end driver run against them, then what arrived,
read the way a mail reader and a web application read it.

  sent_reports.py --program EXE.debug --strip STRIP --tarvex TARVEX --key KEY
                  --out FOLDER -- COMMAND...

Runs inside tests/delivery/mail_peers.py and http/peers/run_with_peers.py,
whose ports (VX_SMTP_PORT, VX_HTTP_PORT) fill in the options templates
ZorvikCalc-<name>.options.in beside this script. Each copy is made the way
the build makes the shipped program (stripped, then "tarvex embed") in
FOLDER/<name>/. COMMAND gets the copies' folder in VX_SEND_COPIES (a Windows
path). Afterwards every message the SMTP server stored and every upload the
web server kept must parse without defects and carry the report archive:
the report with the calculator's failure and a screenshot that pngcheck
accepts. Exit code: COMMAND's, else 1 when an arrival fails its checks.
"""
import argparse
import email
import email.policy
import glob
import io
import os
import shutil
import string
import subprocess
import sys
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
FAILURE_TEXT = b"is not a valid integer value."


def unix_path(windows_path):
    return windows_path[2:].replace("\\", "/") if windows_path.startswith("Z:") else windows_path


def make_copy(name, args):
    with open(os.path.join(HERE, f"ZorvikCalc-{name}.options.in")) as template:
        options_text = string.Template(template.read()).substitute(os.environ)
    folder = os.path.join(args.out, name)
    os.makedirs(folder, exist_ok=True)
    options = os.path.join(folder, "ZorvikCalc.options")
    with open(options, "w") as out:
        out.write(options_text)
    exe = os.path.join(folder, "ZorvikCalc.exe")
    shutil.copyfile(args.program, exe)
    subprocess.run([args.strip, "--strip-debug", exe], check=True)
    subprocess.run([args.tarvex, "embed", exe, "--options", options, "--lines", args.program, "--key", args.key],
                   check=True, stdout=subprocess.DEVNULL)
    log = os.path.join(folder, "ZorvikCalc.elf")
    if os.path.exists(log):
        os.remove(log)


def check_archive(archive_bytes, where):
    problems = []
    with zipfile.ZipFile(io.BytesIO(archive_bytes)) as archive:
        names = sorted(archive.namelist())
        if names != ["Screenshot.png", "ZorvikCalc.elf"]:
            return [f"{where}: the archive holds {names}"]
        if FAILURE_TEXT not in archive.read("ZorvikCalc.elf"):
            problems.append(f"{where}: the report does not name the calculator's failure")
        with tempfile.NamedTemporaryFile(suffix=".png") as picture:
            picture.write(archive.read("Screenshot.png"))
            picture.flush()
            check = subprocess.run(["pngcheck", "-q", picture.name], capture_output=True, text=True)
            if check.returncode != 0:
                problems.append(f"{where}: pngcheck refuses the screenshot: {check.stdout.strip()}")
    return problems


def archive_part(message, where):
    """The one attachment of a parsed MIME message, which must be BugReport.zip."""
    problems = [f"{where}: defects {part.defects}" for part in message.walk() if part.defects]
    attachments = [part for part in message.walk() if part.get_filename()]
    if [part.get_filename() for part in attachments] != ["BugReport.zip"]:
        return None, problems + [f"{where}: attachments {[part.get_filename() for part in attachments]}"]
    return attachments[0].get_payload(decode=True), problems


def check_mail(path):
    with open(path, "rb") as stored:
        envelope, _, data = stored.read().partition(b"\r\n\r\n")
    where = os.path.basename(path)
    problems = []
    if b"From: calc@zorvik-tools.example" not in envelope or b"To: bugs@zorvik-tools.example" not in envelope:
        problems.append(f"{where}: envelope {envelope!r}")
    if b"User: reporter" not in envelope:
        problems.append(f"{where}: not sent with the login")
    message = email.message_from_bytes(data, policy=email.policy.default)
    if message["Subject"] != "Zorvik material calculator: bug report":
        problems.append(f"{where}: subject {message['Subject']!r}")
    archive, found = archive_part(message, where)
    return problems + found + (check_archive(archive, where) if archive is not None else [])


def check_upload(path):
    with open(path, "rb") as kept:
        content_type, _, body = kept.read().partition(b"\n")
    where = os.path.basename(path)
    message = email.message_from_bytes(b"Content-Type: " + content_type + b"\r\n\r\n" + body,
                                       policy=email.policy.default)
    archive, problems = archive_part(message, where)
    return problems + (check_archive(archive, where) if archive is not None else [])


def main():
    parser = argparse.ArgumentParser()
    for option in ("--program", "--strip", "--tarvex", "--key", "--out"):
        parser.add_argument(option, required=True)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    for name in ("smtp", "http", "smtp-refused"):
        make_copy(name, args)
    env = dict(os.environ, VX_SEND_COPIES="Z:" + os.path.abspath(args.out).replace("/", "\\") + "\\")
    status = subprocess.call(command, env=env)
    if status != 0:
        return status

    problems = []
    for path in sorted(glob.glob(os.path.join(unix_path(os.environ["VX_SMTP_SPOOL"]), "message*.txt"))):
        problems += check_mail(path)
    for path in sorted(glob.glob(os.path.join(os.environ["VX_RECORDS"], "*.body"))):
        problems += check_upload(path)
    for problem in problems:
        print("sent_reports:", problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
