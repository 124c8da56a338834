#!/usr/bin/python3
"""Remote control under a steady load: the headless program on the virtual instruments answers
RATE queries a second from one client for SECONDS; its resident memory is sampled every ten seconds.
Printed: the queries answered, the slowest answer, and the resident memory at the start (after the
first ten seconds), at the end and at its highest.

  bench/remote_soak.py build/release/src/app/moistrel build/release/tools/moistrel-sim [SECONDS] [RATE]

(defaults: 600 s, 100 queries a second)
"""

import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

QUERIES = ["SYST:STAT?", "PROG:SEGM?", "MEAS:FLOW:A?", "MEAS:FLOW:B?", "DATA:LAST?", "SYST:ERR?", "*IDN?",
           "PROG:COUN?"]


def resident_kib(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def main():
    moistrel, sim = sys.argv[1], sys.argv[2]
    seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 600.0
    rate = float(sys.argv[4]) if len(sys.argv) > 4 else 100.0
    work = tempfile.mkdtemp(prefix="moistrel-remote-soak-")
    processes = []
    try:
        folder = os.path.join(work, "bin")
        os.makedirs(folder)
        program = os.path.join(folder, "moistrel")
        shutil.copy2(moistrel, program)
        links = os.path.join(work, "links")
        processes.append(subprocess.Popen([sim, "--dir", links, "--fast", "--pump-init", "0"],
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        while not all(os.path.exists(os.path.join(links, n)) for n in ("pump", "mfc-a", "mfc-b")):
            time.sleep(0.1)
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
        ports = [os.path.join(links, n) for n in ("pump", "mfc-a", "mfc-b")]
        with open(os.path.join(folder, "moistrel.ini"), "w") as f:
            f.write("[COM ports]\nPump=%s\nMFCA=%s\nMFCB=%s\n[Remote]\nPort=%d\n" % (*ports, port))
        env = dict(os.environ, MOISTREL_SERIAL_PORTS=":".join(ports))
        app = subprocess.Popen([program, "--headless"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               env=env)
        processes.append(app)
        limit = time.monotonic() + 60
        while True:
            try:
                connection = socket.create_connection(("127.0.0.1", port), timeout=30)
                break
            except OSError:
                if time.monotonic() > limit:
                    raise
                time.sleep(0.2)
        stream = connection.makefile("rwb")
        start = time.monotonic()
        samples, answered, slowest, next_sample = [], 0, 0.0, start + 10.0
        while time.monotonic() - start < seconds:
            query = QUERIES[answered % len(QUERIES)]
            sent = time.monotonic()
            stream.write(query.encode() + b"\n")
            stream.flush()
            if not stream.readline():
                print("the program closed the connection after %d answers" % answered)
                return 1
            slowest = max(slowest, time.monotonic() - sent)
            answered += 1
            if time.monotonic() >= next_sample:
                samples.append(resident_kib(app.pid))
                next_sample += 10.0
            pause = start + answered / rate - time.monotonic()
            if pause > 0:
                time.sleep(pause)
        connection.close()
        elapsed = time.monotonic() - start
        print("%d queries in %.0f s (%.1f a second), slowest answer %.1f ms" %
              (answered, elapsed, answered / elapsed, slowest * 1000.0))
        if samples:
            print("resident memory: %d KiB after 10 s, %d KiB at the end, %d KiB at most (%+d KiB)" %
                  (samples[0], samples[-1], max(samples), samples[-1] - samples[0]))
        return 0
    finally:
        for process in reversed(processes):
            process.terminate()
            try:
                process.wait(timeout=60)
            except subprocess.TimeoutExpired:
                process.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
