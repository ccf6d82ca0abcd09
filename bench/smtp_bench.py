#!/usr/bin/python3
"""Sending a 10 MB message: the SMTP client (a Windows program) against
Python's smtplib, to the same aiosmtpd in the same run.

    tests/delivery/mail_peers.py bench/smtp_bench.py [RUNNER...] smtp_bench_win.exe

RUNNER is scripts/wine.sh where the program runs under Wine. Each side sends
three times; the medians are compared.
"""
import os
import smtplib
import statistics
import subprocess
import sys
import time

RUNS = 3


def smtplib_seconds(message):
    start = time.perf_counter()
    client = smtplib.SMTP("127.0.0.1", int(os.environ["VX_SMTP_PORT"]))
    client.ehlo("bench")
    client.sendmail("bench@example.test", ["author@example.test"], message)
    seconds = time.perf_counter() - start
    client.close()
    return seconds


def client_figures(command):
    output = subprocess.run(command, check=True, capture_output=True, text=True).stdout
    figures = dict(item.split("=", 1) for item in output.split() if "=" in item)
    return float(figures["smtp_seconds"]), int(figures["bytes"]), float(figures["mx_seconds"]), figures["host"]


def main():
    body = ("Q" * 76 + "\r\n") * (10 * 1000 * 1000 // 78 + 1)
    message = ("Subject: benchmark\r\n\r\n" + body).encode()
    ours, theirs, lookups = [], [], []
    for _ in range(RUNS):
        seconds, size, mx_seconds, host = client_figures(sys.argv[1:])
        ours.append(size / seconds / 1e6)
        lookups.append(mx_seconds)
        theirs.append(len(message) / smtplib_seconds(message) / 1e6)
    ours_rate, their_rate = statistics.median(ours), statistics.median(theirs)
    print("TTarvexClientSMTP: %.1f MB/s (runs: %s)" % (ours_rate, ", ".join("%.1f" % r for r in ours)))
    print("smtplib:           %.1f MB/s (runs: %s)" % (their_rate, ", ".join("%.1f" % r for r in theirs)))
    print("ratio:             %.2f (goal: at least 0.67)" % (ours_rate / their_rate))
    print("MX lookup against dnsmasq: %.1f ms median, host %s" % (statistics.median(lookups) * 1000, host))


if __name__ == "__main__":
    main()
