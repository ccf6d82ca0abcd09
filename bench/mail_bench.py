#!/usr/bin/python3
"""One report mail (a report text and a 1 MB archive-like file) sent by
SendBySMTP (a Windows program) and by Python's email package and smtplib, to
the same aiosmtpd with AUTH LOGIN, in the same run.

    scripts/win32-env.sh /usr/bin/python3 tests/delivery/mail_peers.py \\
        /usr/bin/python3 bench/mail_bench.py scripts/wine.sh build/win32/bench/mail_bench_win.exe

Each side sends five times; the medians are compared with the goal: ours at
most 1.5 times Python's plus 0.5 s. Both times run from reading the files to
the server's acceptance of the data.
"""
import os
import smtplib
import statistics
import subprocess
import sys
import tempfile
import time
from email.message import EmailMessage

RUNS = 5
SUBJECT = "Bug report"
BODY = "The program failed; the report and its archive are attached."


def report_text():
    lines = ["%04d  ZorvikCalc.exe  00401%03X  Unit1.pas  TForm6.Button1Click  %d" % (i, i % 4096, i) for i in range(4000)]
    return ("\r\n".join(lines) + "\r\n").encode()


def python_seconds(report_path, archive_path):
    start = time.perf_counter()
    message = EmailMessage()
    message["From"] = "bench@example.test"
    message["To"] = "author@example.test"
    message["Subject"] = SUBJECT
    message.set_content(BODY)
    for path, name in ((report_path, "BugReport.txt"), (archive_path, "BugReport.zip")):
        with open(path, "rb") as data:
            message.add_attachment(data.read(), maintype="application", subtype="octet-stream", filename=name)
    client = smtplib.SMTP("127.0.0.1", int(os.environ["VX_SMTP_PORT"]))
    client.login("reporter", "s3cret")
    client.send_message(message)
    seconds = time.perf_counter() - start
    client.close()
    return seconds


def our_seconds(command, report_path, archive_path):
    def windows(path):
        return "Z:" + path.replace("/", "\\")
    output = subprocess.run(command + [windows(report_path), windows(archive_path)],
                            check=True, capture_output=True, text=True).stdout
    return float(output.split("seconds=")[1].split()[0])


def main():
    folder = tempfile.mkdtemp(prefix="vx-mail-bench-")
    report_path = os.path.join(folder, "BugReport.txt")
    archive_path = os.path.join(folder, "BugReport.zip")
    with open(report_path, "wb") as out:
        out.write(report_text())
    with open(archive_path, "wb") as out:
        out.write(os.urandom(1024 * 1024))  # deflated data looks random
    ours, python = [], []
    try:
        for _ in range(RUNS):
            ours.append(our_seconds(sys.argv[1:], report_path, archive_path))
            python.append(python_seconds(report_path, archive_path))
    finally:
        for path in (report_path, archive_path):
            os.remove(path)
        os.rmdir(folder)
    ours_median, python_median = statistics.median(ours), statistics.median(python)
    print("report %d bytes, archive %d bytes" % (len(report_text()), 1024 * 1024))
    print("SendBySMTP:       %.3f s (runs: %s)" % (ours_median, ", ".join("%.3f" % s for s in ours)))
    print("email + smtplib:  %.3f s (runs: %s)" % (python_median, ", ".join("%.3f" % s for s in python)))
    print("ratio:            %.2f (goal: at most 1.5 x Python's + 0.5 s = %.3f s: %s)"
          % (ours_median / python_median, 1.5 * python_median + 0.5,
             "met" if ours_median <= 1.5 * python_median + 0.5 else "missed"))


if __name__ == "__main__":
    main()
