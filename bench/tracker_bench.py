"""A report filed in the stand-in Mantis (tests/delivery/trackers/peers)
and filed again, through SubmitToTracker under Wine (timed inside the
program), beside a curl replay of the very requests the stand-in journalled
(the same methods, addresses and body bytes, one curl per request, cookies
in a jar, form tokens taken from the page before as the program does).

  scripts/win32-env.sh /usr/bin/python3 bench/tracker_bench.py build/win32/bench/tracker_bench_win.exe

Prints the medians of both and their ratio; the replay's time is curl's own
request time (process starts not counted), its wall time is shown beside.
"""
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "tests", "delivery", "trackers", "peers"))

import mantis_site  # noqa: E402
from tracker_site import TrackerServer  # noqa: E402

RUNS = 5
ARCHIVE_SIZE = 256 * 1024
WINE = os.path.join(here, "..", "scripts", "wine.sh")
BOUNDARY = b"-" * 27 + b"0A1B2C3D4E5F"


def encoded(pairs):
    def escape(data):
        return b"".join(bytes([c]) if chr(c).isalnum() and c < 128 else b"%%%02X" % c for c in data)
    return b"&".join(escape(name) + b"=" + escape(value) for name, value in pairs)


def multipart(fields, files):
    parts = [b"--" + BOUNDARY + b'\r\nContent-Disposition: form-data; name="' + name + b'";\r\n\r\n' + value + b"\r\n"
             for name, value in fields]
    parts += [b"--" + BOUNDARY + b'\r\nContent-Disposition: form-data; name="' + name + b'"; filename="' + filename +
              b'";\r\nContent-Type: application/octet-stream\r\n\r\n' + data + b"\r\n"
              for name, filename, data in files]
    return b"".join(parts) + b"--" + BOUNDARY + b"--\r\n"


def replay(port, journal, folder):
    """Curl's summed request time and the replay's wall time, in milliseconds."""
    jar, page_file, body_file = (os.path.join(folder, name) for name in ("cookies", "page", "body"))
    if os.path.exists(jar):
        os.remove(jar)
    page = b""
    total, start = 0.0, time.monotonic()
    for request in journal:
        fields = []
        for name, value in request.fields:
            if name.endswith(b"_token"):  # a fresh token of the page before, as a browser would send
                value = re.search(b'name="' + name + b'" value="([^"]*)"', page).group(1)
            fields.append((name, value))
        url = f"http://127.0.0.1:{port}/mantis/{request.page}"
        if request.query:
            url += "?" + encoded(request.query).decode("ascii")
        command = ["curl", "-s", "-o", page_file, "-w", "%{time_total}", "-b", jar, "-c", jar, url]
        if request.method == "POST":
            if request.files:
                body, kind = multipart(fields, request.files), "multipart/form-data; boundary=" + BOUNDARY.decode()
            else:
                body, kind = encoded(fields), "application/x-www-form-urlencoded"
            with open(body_file, "wb") as out:
                out.write(body)
            command += ["--data-binary", "@" + body_file, "-H", "Content-Type: " + kind]
        total += float(subprocess.run(command, check=True, capture_output=True, text=True).stdout) * 1000
        with open(page_file, "rb") as f:
            page = f.read()
    return total, (time.monotonic() - start) * 1000


def main():
    program = sys.argv[1]
    site = mantis_site.MantisSite()
    server = TrackerServer([site])
    ours, connecting, curl, curl_wall = [], [], [], []
    try:
        with tempfile.TemporaryDirectory(prefix="vx_tracker_bench_") as folder:
            archive = os.path.join(folder, "BugReport.zip")
            with open(archive, "wb") as out:
                out.write(os.urandom(ARCHIVE_SIZE))
            url = f"http://127.0.0.1:{server.port}/mantis/"
            for _ in range(RUNS):
                site.reset()
                done = subprocess.run([WINE, program, url, "Z:" + archive.replace("/", "\\")],
                                      capture_output=True, text=True)
                assert done.returncode == 0, done.stdout + done.stderr
                new, update, connect = (float(t) for t in done.stdout.split())
                assert [b.summary for b in site.bugs.values()] == ["[v1.0 - 2]: EAccessViolation (A1B2)"]
                journal = list(site.journal)
                site.reset()
                requests, wall = replay(server.port, journal, folder)
                assert [b.summary for b in site.bugs.values()] == ["[v1.0 - 2]: EAccessViolation (A1B2)"], \
                    "the replay did not file and update the bug"
                assert site.refused == [], site.refused
                ours.append(new + update)
                connecting.append(connect)
                curl.append(requests)
                curl_wall.append(wall)
    finally:
        server.stop()
    mine, theirs = statistics.median(ours), statistics.median(curl)
    print(f"new bug + update ({len(journal)} requests, {ARCHIVE_SIZE // 1024} KB archive), median of {RUNS} runs")
    print(f"SubmitToTracker {mine:8.1f} ms | curl replay {theirs:8.1f} ms "
          f"(wall with curl's starts {statistics.median(curl_wall):8.1f} ms) | ours/curl {mine / theirs:5.2f}")
    print(f"of ours, making the two connections (the Internet library loaded, the session opened): "
          f"{statistics.median(connecting):8.1f} ms")


if __name__ == "__main__":
    main()
