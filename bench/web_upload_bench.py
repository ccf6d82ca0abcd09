"""A 10 MB upload over HTTP (multipart POST) and FTP (passive STOR) through
the crash reporter's uploads under Wine and through curl (-F, -T), to the
same loopback servers in the same run: MB/s for both, the ratio of times,
and a check that every receiver got the file's bytes unchanged. The same
POST written to a plain Winsock socket by a Windows program shows the floor
that Wine (and an emulator, where there is one) sets.

  scripts/win32-env.sh /usr/bin/python3 bench/web_upload_bench.py build/win32/bench/web_upload_bench_win.exe
"""
import os
import statistics
import subprocess
import sys
import tempfile

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "tests", "delivery", "http", "peers"))

import ftp_server  # noqa: E402
import records  # noqa: E402
import web_server  # noqa: E402

SIZE = 10 * 1024 * 1024
RUNS = 3
WINE = os.path.join(here, "..", "scripts", "wine.sh")


def timed(command):
    out = subprocess.run(command, check=True, capture_output=True, text=True).stdout
    return float(out.strip().splitlines()[-1])


def sent_file(records_folder, name):
    with open(os.path.join(records_folder, name + ".body"), "rb") as f:
        content_type, body = f.read().split(b"\n", 1)
    _, files = records.parse_form(content_type.decode("latin-1"), body)
    return files[0][2]


def main():
    program = sys.argv[1]
    with tempfile.TemporaryDirectory(prefix="vx_upload_bench_") as folder:
        data = os.urandom(SIZE)
        source = os.path.join(folder, "source.bin")
        with open(source, "wb") as f:
            f.write(data)
        sink, ftp_root = os.path.join(folder, "sink"), os.path.join(folder, "ftp")
        os.makedirs(sink)
        os.makedirs(ftp_root)
        http = web_server.Server(sink, sink)
        ftp = ftp_server.FtpServer(ftp_root)
        wine_source = "Z:" + source.replace("/", "\\")
        times = {key: [] for key in ("http-ours", "http-curl", "http-socket", "ftp-ours", "ftp-curl")}
        try:
            for run in range(RUNS):
                times["http-ours"].append(timed([WINE, program, "http", "127.0.0.1", str(http.port),
                                                 f"/sink/ours{run}", wine_source]))
                times["http-curl"].append(timed(["curl", "-s", "-o", "/dev/null", "-w", "%{time_total}\n",
                                                 "-F", f"vx_upload_file_0=@{source};filename=BugReport.bin",
                                                 f"http://127.0.0.1:{http.port}/sink/curl{run}"]))
                times["http-socket"].append(timed([WINE, program, "socket", "127.0.0.1", str(http.port),
                                                   f"/sink/socket{run}", wine_source]))
                times["ftp-ours"].append(timed([WINE, program, "ftp", "127.0.0.1", str(ftp.port), "/",
                                                wine_source, f"ours{run}.bin", ftp_server.USER, ftp_server.PASSWORD]))
                times["ftp-curl"].append(timed(["curl", "-s", "-o", "/dev/null", "-w", "%{time_total}\n",
                                                "--ftp-pasv", "-u", f"{ftp_server.USER}:{ftp_server.PASSWORD}",
                                                "-T", source, f"ftp://127.0.0.1:{ftp.port}/curl{run}.bin"]))
                assert sent_file(sink, f"socket{run}") == data, "HTTP socket: bytes differ"
                for name in (f"ours{run}", f"curl{run}"):
                    assert sent_file(sink, name) == data, f"HTTP {name}: bytes differ"
                    with open(os.path.join(ftp_root, name + ".bin"), "rb") as f:
                        assert f.read() == data, f"FTP {name}: bytes differ"
        finally:
            http.stop()
            ftp.stop()
    mb = SIZE / (1024 * 1024)
    print(f"{mb:.0f} MB, median of {RUNS} runs; every received copy identical to the file")
    for channel in ("http", "ftp"):
        ours, curl = statistics.median(times[f"{channel}-ours"]), statistics.median(times[f"{channel}-curl"])
        print(f"{channel.upper():4} ours {ours:6.3f} s {mb / ours:7.1f} MB/s | curl {curl:6.3f} s {mb / curl:7.1f} MB/s"
              f" | ours/curl time {ours / curl:4.2f}")
    socket = statistics.median(times["http-socket"])
    print(f"HTTP over a plain Winsock socket under the same Wine: {socket:6.3f} s {mb / socket:7.1f} MB/s")


if __name__ == "__main__":
    main()
