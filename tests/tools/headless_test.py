#!/usr/bin/python3
"""The headless program end to end: the real moistrel binary, without a display, on the virtual
instruments, driven over TCP by a plain socket client and by PyVISA (when it is installed), and run
with a saved program; SIGTERM's safe stop and the exit statuses.

Usage: headless_test.py MOISTREL MOISTREL_SIM
"""

import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

failures = []


def check(what, condition, detail=""):
    print(("ok: " if condition else "FAIL: ") + what + ("" if condition else " -- " + str(detail)))
    if not condition:
        failures.append(what)
    return condition


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Client:
    """Lines to the generator, one answer line per query, as lab software talks to an instrument."""

    def __init__(self, port, wait=60.0):
        limit = time.monotonic() + wait
        while True:
            try:
                self.sock = socket.create_connection(("127.0.0.1", port), timeout=30)
                break
            except OSError:
                if time.monotonic() > limit:
                    raise
                time.sleep(0.2)
        self.pending = b""

    def write(self, line):
        self.sock.sendall(line.encode() + b"\n")

    def ask(self, query):
        self.write(query)
        while b"\n" not in self.pending:
            chunk = self.sock.recv(4096)
            if not chunk:
                raise ConnectionError("the generator closed the connection")
            self.pending += chunk
        line, self.pending = self.pending.split(b"\n", 1)
        return line.decode()

    def close(self):
        self.sock.close()


def run_three_targets(ask, write, label):
    """Validates, selects and confirms the gases, builds three targets, runs them to their end."""
    # As a lab script would: a set-up that an instrument's lost reply spoiled (a table name or a
    # gas selection on a busy machine) is done again, from the validation.
    for attempt in range(3):
        write("SET:VAL")
        errors = ask("SYST:ERR?")
        if errors == '0,"No error"':
            write('SET:GAS:A "N2";:SET:GAS:B "Ar";:SET:GAS:CONF')
            errors = ask("SYST:ERR?")
        if errors == '0,"No error"':
            break
        print("note: %s: set-up attempt %d: %s" % (label, attempt + 1, errors))
    check(label + ": validated, gases selected and confirmed", errors == '0,"No error"', errors)
    state = ask("SYST:STAT?")
    check(label + ": ready", state == '1,"Stopped"', state)
    check(label + ": three targets",
          ask("PROG:CLE;APP:TARG RH,40,2;TARG RH,50,2;TARG RH,30,2;:PROG:COUN?") == "3")
    write("PROG:STAR")
    check(label + ": started", ask("SYST:ERR?") == '0,"No error"')
    seen, names, limit = [], set(), time.monotonic() + 120
    while time.monotonic() < limit:
        segment = ask("PROG:SEGM?")
        number = int(segment.split(",")[0])
        if number and (not seen or seen[-1] != number):
            seen.append(number)
        last = ask("DATA:LAST?")
        for name in ("RH 40 %", "RH 50 %", "RH 30 %"):
            if name in last:
                names.add(name)
        state = ask("SYST:STAT?")
        if not (state.startswith("2,") or state.startswith("3,")):
            break
        time.sleep(0.3)
    check(label + ": every segment seen running", seen == [1, 2, 3], seen)
    check(label + ": the data line followed the segments", len(names) == 3, names)
    check(label + ": stopped at the end", state == '1,"Stopped"', state)
    header = ask("DATA:HEAD?")
    check(label + ": data header and last line agree",
          header.count(",") == ask("DATA:LAST?").count(","), header)


def pyvisa_client(port):
    try:
        import pyvisa
    except ImportError:
        return None
    manager = pyvisa.ResourceManager("@py")
    instrument = manager.open_resource("TCPIP::127.0.0.1::%d::SOCKET" % port,
                                       read_termination="\n", write_termination="\n", timeout=30000)
    return instrument


def program_file(path, hours):
    """A saved program of two segments on N2, Ar and water, as the program writes one."""
    # The demonstration liquid the program starts with.
    liquid = {"name": "Water pure", "density_gpml": 0.997735, "parts": [{"name": "Water pure", "massPart": 1000}]}
    flows = [{"device": "MFC A", "gasNameMFC": "N2", "gasNameLong": "Nitrogen", "massFlow_gpm": 0.5,
              "pulsed": 1.0, "pumpCommand": ""},
             {"device": "MFC B", "gasNameMFC": "Ar", "gasNameLong": "Argon", "massFlow_gpm": 0.5,
              "pulsed": 1.0, "pumpCommand": ""}]
    content = {"version": 1, "composedFor": {"gasA": "N2", "gasB": "Ar", "liquid": liquid},
               "segments": [{"name": "first", "duration_h": hours, "flows": flows},
                            {"name": "second", "duration_h": hours, "flows": flows}]}
    with open(path, "w") as f:
        json.dump(content, f, indent=2)


def main():
    moistrel, sim = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp(prefix="moistrel-headless-")
    sim_process = None
    try:
        # The program keeps its settings file and Userdata beside itself: a copy of its own.
        folder = os.path.join(work, "bin")
        os.makedirs(folder)
        program = os.path.join(folder, "moistrel")
        shutil.copy2(moistrel, program)
        links = os.path.join(work, "links")
        sim_process = subprocess.Popen([sim, "--dir", links, "--fast", "--pump-init", "0"],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for name in ("pump", "mfc-a", "mfc-b", "control"):
            limit = time.monotonic() + 20
            while not os.path.exists(os.path.join(links, name)) and time.monotonic() < limit:
                time.sleep(0.1)
        port = free_port()
        pump, mfc_a, mfc_b = (os.path.join(links, n) for n in ("pump", "mfc-a", "mfc-b"))
        with open(os.path.join(folder, "moistrel.ini"), "w") as f:
            f.write("[COM ports]\nPump=%s\nMFCA=%s\nMFCB=%s\n[Remote]\nPort=%d\n" % (pump, mfc_a, mfc_b, port))
        env = dict(os.environ, MOISTREL_SERIAL_PORTS=":".join((pump, mfc_a, mfc_b)))
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("QT_QPA_PLATFORM", None)

        def start(*arguments):
            out = open(os.path.join(work, "out-%d.txt" % len(os.listdir(work))), "w+")
            process = subprocess.Popen([program, "--headless", *arguments], stdout=out,
                                       stderr=subprocess.STDOUT, env=env, cwd="/")
            return process, out

        def output(out):
            out.flush()
            out.seek(0)
            return out.read()

        # Driven over TCP without any display, by a socket client and then by PyVISA; SIGTERM ends it.
        process, out = start("--confirm-gases")
        client = Client(port)
        check("identity", "Moistrel" in client.ask("*IDN?"))
        scpi = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "moistrel-scpi")
        answers = subprocess.run([sys.executable, scpi, "--port", str(port), "*IDN?", "PROG:CLE", "SYST:STAT?"],
                                 capture_output=True, text=True, timeout=60)
        lines = answers.stdout.splitlines()
        check("scripts/moistrel-scpi prints one answer per query", answers.returncode == 0 and len(lines) == 2
              and "Moistrel" in lines[0] and lines[1] == '0,"Simulation"', (answers.returncode, answers.stdout,
                                                                          answers.stderr))
        run_three_targets(client.ask, client.write, "socket client")
        client.close()
        visa = pyvisa_client(port)
        if check("PyVISA is installed (python3-pyvisa, python3-pyvisa-py)", visa is not None):
            run_three_targets(visa.query, visa.write, "PyVISA")
            visa.close()
        process.send_signal(signal.SIGTERM)
        status = process.wait(timeout=60)
        text = output(out)
        check("SIGTERM ends with a confirmed stop (exit 0)", status == 0, (status, text[-2000:]))
        check("the safe stop was said", "Stop asked by a signal" in text and "Stopped; the program ends" in text,
              text[-2000:])
        check("the LED caption went to standard output once a second", text.count("Stopped |") >= 2, text[:500])

        # A saved program: without --confirm-gases it cannot start (exit 2); with it, it runs to its end.
        saved = os.path.join(work, "two.mixprog")
        program_file(saved, 2.0 / 3600.0)
        process, out = start("--program", saved)
        status = process.wait(timeout=120)
        text = output(out)
        check("a program whose gases need the operator does not start (exit 2)", status == 2, (status, text[-2000:]))
        check("and says so", "--confirm-gases" in text, text[-2000:])
        userdata = os.path.join(folder, "Userdata")
        before = set(os.listdir(userdata)) if os.path.isdir(userdata) else set()
        process, out = start("--program", saved, "--confirm-gases")
        status = process.wait(timeout=180)
        text = output(out)
        check("a saved program runs to its end (exit 0)", status == 0, (status, text[-3000:]))
        check("its steps were said", "Program started: done" in text and "Stopped; the program ends" in text,
              text[-3000:])
        data = [n for n in set(os.listdir(userdata)) - before if n.startswith("Run ") and n.endswith(".csv")]
        if check("the run left one data file", len(data) == 1, data):
            with open(os.path.join(userdata, data[0]), encoding="utf-8", errors="replace") as f:
                rows = f.read().split("\n")
            complete = rows[-1] == "" and all(r.count(",") >= rows[0].count(",") for r in rows[1:-1])
            names = {name for name in ("first", "second") if any(name in r for r in rows)}
            check("the data file is complete: whole lines, both segments", complete and len(names) == 2,
                  (len(rows), names, rows[-3:]))

        def stop_mid_run(fault):
            """A long program started; SIGTERM while it runs, with `fault` on the virtual instruments."""
            program_file(saved, 1.0)
            process, out = start("--program", saved, "--confirm-gases")
            limit = time.monotonic() + 120
            while "Program started: done" not in output(out) and process.poll() is None \
                    and time.monotonic() < limit:
                time.sleep(0.2)
            time.sleep(2.0)
            if fault:
                with open(os.path.join(links, "control"), "w") as control:
                    control.write(fault + " on\n")
                time.sleep(0.5)
            process.send_signal(signal.SIGTERM)
            status = process.wait(timeout=120)
            if fault:
                with open(os.path.join(links, "control"), "w") as control:
                    control.write(fault + " off\n")
            return status, output(out)

        status, text = stop_mid_run(None)
        check("SIGTERM mid-run ends with a confirmed stop (exit 0)", status == 0, (status, text[-3000:]))
        check("the run was running when the signal came", "Operating, step: 1/2" in text, text[-3000:])

        # MFC B silent at the stop: the stop cannot be confirmed and the exit status says so.
        status, text = stop_mid_run("fault mfc-b silent")
        check("MFC B silent at the stop ends with exit 3", status == 3, (status, text[-3000:]))
        check("and says the mixer may still be dosing", "may still be dosing" in text, text[-3000:])
    finally:
        if sim_process is not None:
            sim_process.terminate()
            sim_process.wait(timeout=30)
        shutil.rmtree(work, ignore_errors=True)
    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
