#!/usr/bin/env python3
"""The Windows programs against the Linux ones: the same scenarios (board
report, self-test, upgrade with backup and restore, a power cut and its
recovery; then on the demo server the wrapper's silent upgrade of every board,
and the plug-in's properties and silent install through updeck) run once with
the Linux build and once with the Windows build under Wine, each on a
simulated host its own tools made. Every step must end with
the same exit code, the same output bytes on each stream (on Windows with the
C runtime's CR LF line ends) and the same flash; both hosts end with no
protocol violation.

usage: parity_test.py --linux-bin build/bin --windows-bin build-windows/bin
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PORT = "Local Area Connection"
PRODUCT = "0x26:0x0126:0x4040:0x42"
DEMO_CARDS = ("sfp26", "quad24", "mezz22", "lom29")


class Side:
    def __init__(self, name, bin_dir, runner, suffix, root):
        self.name, self.bin_dir, self.runner, self.suffix = name, bin_dir, runner, suffix
        self.root = root
        self.host = os.path.join(root, "host")
        self.work = os.path.join(root, "work")
        os.makedirs(self.work)

    def run(self, program, args, stdin="", cwd=None, host=True):
        env = dict(os.environ)
        env.pop("CORVANE_SIMHOST", None)
        if host:
            env["CORVANE_SIMHOST"] = self.host
        command = self.runner + [os.path.join(self.bin_dir, program + self.suffix)] + args
        started = time.monotonic()
        p = subprocess.run(command, input=stdin.encode(), capture_output=True, cwd=cwd or self.work, env=env,
                           timeout=300)
        if os.environ.get("PARITY_TIMES"):
            print(f"  {time.monotonic() - started:6.2f} s {program} {' '.join(args)}", flush=True)
        # A process killed by signal N reports 128 + N, as a shell shows it.
        code = 128 - p.returncode if p.returncode < 0 else p.returncode
        return code, p.stdout, p.stderr

    def tool(self, program, args):
        code, out, err = self.run(program, args, host=False)
        if code != 0:
            raise SystemExit(f"{self.name}: {program} {' '.join(args)} failed ({code}): {out!r} {err!r}")
        return out

    def flash(self, cards=("sfp",)):
        dump = os.path.join(self.root, "dump.bin")
        pictures = []
        for card in cards:
            self.tool("corvane-sim", ["flash", self.host, card, "--dump", dump])
            with open(dump, "rb") as f:
                pictures.append(f.read())
        return pictures

    def edit_registry(self, old, new):
        """Changes the host's registry export in place (a program started
        afterwards reads it again)."""
        path = os.path.join(self.host, "registry.reg")
        with open(path, encoding="utf-8", newline="") as f:
            text = f.read()
        if old not in text:
            raise SystemExit(f"{self.name}: {old!r} is not in {path}")
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(text.replace(old, new, 1))

    def demo_host(self):
        """The demo server in place of the host, its programs in the package
        directory; returns that directory."""
        shutil.rmtree(self.host)
        self.tool("corvane-sim", ["create", self.host, "--preset", "demo"])
        return os.path.join(self.host, "drive_c", "package")

    def backups(self):
        return sorted(n for n in os.listdir(self.work) if n.startswith("flashbackup_"))


def make_host(side):
    image = os.path.join(side.root, "old_romimage")
    side.tool("romimage", ["synth", image, "--fw", "4.0.500", "--product", PRODUCT])
    side.tool("corvane-sim", ["create", side.host])
    side.tool("corvane-sim", ["add-card", side.host, "sfp", "--board", "0x26", "--subsys", "0x01264040", "--ports",
                              "2", "--bus", "5", "--serial", "CV12345678", "--image", image])
    side.tool("romimage", ["synth", os.path.join(side.work, "quarry_romimage"), "--fw", "4.0.593", "--product",
                           PRODUCT])


# A backup's name carries the time it was made; the two sides' times differ.
STAMP = re.compile(rb"flashbackup_CV12345678_v4\.0\.500_[0-9A-Za-z_-]+")


def normal(text, side):
    """The output with the run's own directories named, as each system spells
    them (under Wine the Linux root is drive Z:), and a path separator right
    after such a name written as '/'."""
    text = STAMP.sub(b"flashbackup_<time>", text)
    for place in (side.work, side.host, side.root):
        name = b"<" + os.path.basename(place).encode() + b">"
        for spelling in (("Z:" + place.replace("/", "\\")).encode(), place.encode()):
            text = text.replace(spelling + b"\\", name + b"/").replace(spelling, name)
    return text


class Parity:
    def __init__(self, linux, windows):
        self.linux, self.windows = linux, windows
        self.failures = []
        self.passed = 0

    def check(self, what, ok, detail=""):
        if ok:
            self.passed += 1
        else:
            self.failures.append(f"{what}: {detail}")
            print(f"FAIL {what}: {detail}", flush=True)

    def step(self, name, args, stdin="", expect=None, program="burnkit", cwd=None, cards=("sfp",)):
        """Runs program (burnkit) with args on both sides, in the directory
        cwd gives (the work directory); returns the Linux result."""
        lin = self.linux.run(program, args(self.linux), stdin, cwd=cwd and cwd(self.linux))
        win = self.windows.run(program, args(self.windows), stdin, cwd=cwd and cwd(self.windows))
        print(f"== {name}: exit {lin[0]} (Linux) / {win[0]} (Windows)", flush=True)
        if expect is not None:
            self.check(f"{name}: exit code", lin[0] == expect, f"Linux {lin[0]}, expected {expect}: {lin[1]!r}")
        self.check(f"{name}: exit code", lin[0] == win[0], f"Linux {lin[0]}, Windows {win[0]}")
        for stream, index in (("stdout", 1), ("stderr", 2)):
            expected = normal(lin[index], self.linux).replace(b"\n", b"\r\n")
            got = normal(win[index], self.windows)
            self.check(f"{name}: {stream}", got == expected, first_difference(expected, got))
        self.check(f"{name}: flash", self.linux.flash(cards) == self.windows.flash(cards), "flash contents differ")
        return lin

    def host_check(self):
        for side in (self.linux, self.windows):
            code, out, err = side.run("corvane-sim", ["check", side.host], host=False)
            self.check(f"{side.name}: corvane-sim check", code == 0, (out + err).decode(errors="replace"))


def first_difference(expected, got):
    at = next((i for i, (a, b) in enumerate(zip(expected, got)) if a != b), min(len(expected), len(got)))
    return f"at byte {at}: Linux {expected[max(0, at - 60):at + 60]!r}\n  Windows {got[max(0, at - 60):at + 60]!r}"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--linux-bin", default=os.path.join(ROOT, "build", "bin"))
    parser.add_argument("--windows-bin", default=os.path.join(ROOT, "build-windows", "bin"))
    opts = parser.parse_args()
    temp = tempfile.mkdtemp(prefix="corvane_parity_")
    try:
        linux = Side("Linux", os.path.abspath(opts.linux_bin), [], "", os.path.join(temp, "linux"))
        windows = Side("Windows", os.path.abspath(opts.windows_bin), [os.path.join(ROOT, "scripts", "wine-run")], ".exe",
                       os.path.join(temp, "windows"))
        for side in (linux, windows):
            make_host(side)
        p = Parity(linux, windows)
        port = lambda *rest: (lambda side: ["-i", PORT] + list(rest))
        p.step("board report", lambda side: ["-i", "5:0.0", "--info"], expect=0)
        p.step("self-test", port("-F"), expect=0)
        p.step("upgrade with backup", port("-a"), "y\n", expect=0)
        p.step("self-test after the upgrade", port("-F"), expect=0)
        p.check("one backup each", len(linux.backups()) == 1 and len(windows.backups()) == 1,
                f"{linux.backups()} / {windows.backups()}")
        restore = lambda *rest: (lambda side: ["-i", PORT] + list(rest) + ["-r", side.backups()[0]])
        p.step("restore from the backup", restore(), "y\n", expect=0)
        for side in (linux, windows):
            side.tool("corvane-sim", ["fault", side.host, "sfp", "--action", "kill", "--cmd", "51", "--after", "2000"])
        p.step("power cut in the write", port("-f", "-a"), expect=137)
        for side in (linux, windows):
            side.tool("corvane-sim", ["fault", side.host, "sfp", "--clear"])
        p.step("recovery from the backup", restore("-f"), "y\n", expect=0)
        # Bad input: a connection that is not there, and one whose name the
        # registry holds as a number.
        p.step("an unknown connection", lambda side: ["-i", "No Such Connection", "--info"])
        for side in (linux, windows):
            side.edit_registry('"Name"="Local Area Connection"\r\n', '"Name"=dword:00000001\r\n')
        p.step("a connection name of the wrong type", port("--info"))
        for side in (linux, windows):
            side.edit_registry('"Name"=dword:00000001\r\n', '"Name"="Local Area Connection"\r\n')
        p.host_check()

        # The demo server: the wrapper runs the flash tool once per board (a
        # child process of its own), then the plug-in, loaded by updeck,
        # runs the wrapper. Keelson's silent run ends with 1 (done), the
        # silent install with 2 (installed, reboot required).
        package = lambda side: os.path.join(side.host, "drive_c", "package")
        for program, args, expect in (("Keelson", ["/s"], 1), ("updeck", ["properties"], 0),
                                      ("updeck", ["install", "--silent"], 2)):
            for side in (linux, windows):
                side.demo_host()
            p.step(f"{program} {' '.join(args)} on the demo server", lambda side: list(args), expect=expect,
                   program=program, cwd=package, cards=DEMO_CARDS)
            p.host_check()
        # Bad input: the flash tool the wrapper must start is not there.
        for side in (linux, windows):
            for name in os.listdir(side.demo_host()):
                if name.startswith("burnkit"):
                    os.remove(os.path.join(package(side), name))
        p.step("Keelson /s without the flash tool", lambda side: ["/s"], program="Keelson", cwd=package,
               cards=DEMO_CARDS)
        p.host_check()
        print(f"{p.passed} passed, {len(p.failures)} failed")
        return 1 if p.failures else 0
    finally:
        shutil.rmtree(temp, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
