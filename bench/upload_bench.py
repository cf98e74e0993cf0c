#!/usr/bin/env python3
"""Upload benchmark on loopback: tessaro-cli (and the dialog, headless) against socat sending
the same frame bytes with the same 10240-byte send buffer, into the same sink.

Runs alternate, RUNS of each per size. The tool's 2000 ms pause before closing is not counted:
tessaro-cli's wall time has 2000 ms subtracted; the dialog harness pauses for no time and
reports click-to-end itself. Peak RSS is measured by GNU time.
"""
import os
import platform
import shutil
import socket
import statistics
import struct
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIN = os.path.join(ROOT, "build", "bin")
WORK = os.path.join(ROOT, "build", "bench")
RUNS = int(os.environ.get("RUNS", "5"))
SIZES = [int(s) for s in os.environ.get("SIZES_MB", "1 20 200").split()]
PAUSE_S = 2.0


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def run(cmd):
    """Wall seconds, peak RSS (KiB) and stdout of one child.

    The peak RSS comes from GNU time: a child forked from this Python process would report
    Python's own resident size as its peak.
    """
    rss_file = os.path.join(WORK, "rss.txt")
    start = time.perf_counter()
    child = subprocess.run(["/usr/bin/time", "-o", rss_file, "-f", "%M"] + cmd,
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    if child.returncode != 0:
        sys.exit(f"failed ({child.returncode}): {' '.join(cmd)}")
    with open(rss_file) as f:
        peak = int(f.read().split()[-1])
    return wall, peak, child.stdout


def make_files(mb):
    folder = os.path.join(WORK, "R7Z42WRS_bench")
    os.makedirs(folder, exist_ok=True)
    firmware = os.path.join(folder, f"firmware-{mb}MB.bin")
    frame = os.path.join(WORK, f"frame-{mb}MB.bin")
    size = mb * 1000 * 1000
    if not os.path.exists(firmware) or os.path.getsize(firmware) != size:
        with open(firmware, "wb") as f:
            for _ in range(mb):
                f.write(os.urandom(1000 * 1000))
    if not os.path.exists(frame) or os.path.getsize(frame) != size + 7:
        with open(frame, "wb") as out, open(firmware, "rb") as src:
            out.write(bytes([0x72]) + struct.pack("<I", size + 2) + bytes([0x01, 0x03]))
            shutil.copyfileobj(src, out, 1 << 20)
    return firmware, frame, size


def main():
    for tool in ("socat", "/usr/bin/time"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is missing: run scripts/install-deps.sh")
    os.makedirs(WORK, exist_ok=True)
    port = free_port()
    sink = subprocess.Popen(["socat", "-u", f"TCP-LISTEN:{port},bind=127.0.0.1,reuseaddr,fork",
                             "OPEN:/dev/null"], stderr=subprocess.DEVNULL)
    time.sleep(0.3)
    dialog = os.path.join(BIN, "dialog_upload")
    have_dialog = os.access(dialog, os.X_OK)
    rows = []
    try:
        for mb in SIZES:
            firmware, frame, size = make_files(mb)
            tool_t, socat_t, dialog_t, rss = [], [], [], []
            for _ in range(RUNS):
                wall, peak, _ = run([os.path.join(BIN, "tessaro-cli"), "--ip", "127.0.0.1",
                                     "--port", str(port), firmware])
                tool_t.append(wall - PAUSE_S)
                rss.append(peak)
                wall, _, _ = run(["socat", "-u", f"FILE:{frame}",
                                  f"TCP:127.0.0.1:{port},sndbuf=10240"])
                socat_t.append(wall)
                if have_dialog:
                    _, _, out = run([dialog, str(port), firmware])
                    dialog_t.append(int(out.strip()) / 1e6)
            row = {
                "mb": mb,
                "tool": statistics.median(tool_t),
                "socat": statistics.median(socat_t),
                "rss_mib": max(rss) / 1024,
                "size_mib": size / 1048576,
                "dialog": statistics.median(dialog_t) if dialog_t else None,
            }
            rows.append(row)
    finally:
        sink.terminate()

    print(f"machine: {platform.node()} {platform.machine()}, {os.cpu_count()} cores, "
          f"{platform.platform()}; {RUNS} alternating runs per size, medians")
    print("the 2000 ms pause is subtracted from tessaro-cli's wall time; the dialog harness "
          "times click to end with no pause\n")
    print("| file | tessaro-cli s | socat s | tool ÷ socat | peak RSS MiB | RSS ÷ file | "
          "RSS − file MiB | dialog s | dialog ÷ cli |")
    print("| --- | --- | --- | --- | --- | --- | --- | --- | --- |")
    for r in rows:
        dialog = f"{r['dialog']:.3f}" if r["dialog"] is not None else "n/a"
        dialog_ratio = f"{r['dialog'] / r['tool']:.3f}" if r["dialog"] is not None else "n/a"
        print(f"| {r['mb']} MB | {r['tool']:.3f} | {r['socat']:.3f} | {r['tool'] / r['socat']:.3f} "
              f"| {r['rss_mib']:.1f} | {r['rss_mib'] / r['size_mib']:.3f} | "
              f"{r['rss_mib'] - r['size_mib']:.1f} | {dialog} | {dialog_ratio} |")


if __name__ == "__main__":
    main()
