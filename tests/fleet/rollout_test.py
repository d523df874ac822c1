#!/usr/bin/env python3
"""The firmware roll-out over a simulated fleet, driven by ansible-playbook:

1. eight servers with two to four boards, two of them up to date, batches of
   two: every older server upgraded, the up-to-date ones untouched and "ok",
   the recap exact, a version report and the wrapper log of every server on
   the controller;
2. the same playbook again: nothing changes anywhere;
   in both, two servers take the package into a working directory of their
   own (corvane_workdir, made by the role) instead of the default one;
3. a fresh fleet whose fourth server (second batch) has a board that fails a
   flash write: that server fails with the wrapper's message, the roll-out
   stops after its batch, the later batches are untouched, and every board
   of every server still verifies.

usage: rollout_test.py [--bin DIR] [--keep DIR]
"""

import argparse
import filecmp
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
PLAYBOOK = os.path.join(REPO, "deploy", "ansible", "rollout.yml")
ROLE = os.path.join(REPO, "deploy", "ansible", "roles", "corvane_firmware")
MAKE_FLEET = os.path.join(REPO, "deploy", "ansible", "simfleet", "make-fleet")

# Per host and run, what the role's tasks add up to in the recap: five steps
# report "ok" on every host (unpack the package, -n, -v, fetch the report,
# fetch the log), and a sixth where the host names its own working directory
# (make it); the upgrade (-s) is one more, and the only change, where -n
# asked for it; the rest are skipped.
OK_CURRENT = 5
OK_UPGRADED = OK_CURRENT + 1
TASKS = 12  # every task of the role, run or skipped, up to the failure report

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED: " + what, flush=True)
    return condition


class Fleet:
    def __init__(self, root, bin_dir, current, fault=None, workdirs=()):
        self.root = root
        self.bin = bin_dir
        args = [MAKE_FLEET, root, "--hosts", "8", "--bin", bin_dir, "--current", ",".join(current)]
        if fault:
            args += ["--fault", fault]
        subprocess.run(args, check=True, stdout=subprocess.DEVNULL)
        with open(os.path.join(root, "fleet.json")) as f:
            self.layout = json.load(f)
        self.firmware = self.layout["firmware"]
        self.servers = {s["name"]: s for s in self.layout["servers"]}
        self.reports = os.path.join(root, "reports")
        self.runs = 0
        # Working directories of the servers' own choice, two levels below
        # anything that exists on the host.
        self.workdirs = {name: os.path.join(self.servers[name]["simhost"], "drive_c", "Firmware", "corvane")
                         for name in workdirs}
        if self.workdirs:
            inventory = os.path.join(root, "inventory.ini")
            with open(inventory) as f:
                lines = f.read().split("\n")
            lines = [line + (" corvane_workdir=" + self.workdirs[line.split()[0]]
                             if line.split() and line.split()[0] in self.workdirs else "") for line in lines]
            with open(inventory, "w") as f:
                f.write("\n".join(lines))

    def placed(self, name):
        """Whether the server's working directory holds every file of the
        package, byte for byte and with its mode."""
        package = self.layout["package"]
        workdir = self.workdirs.get(name) or os.path.join(self.servers[name]["simhost"], "drive_c", "Temp",
                                                          "corvane_firmware")
        for entry in os.listdir(package):
            here, there = os.path.join(package, entry), os.path.join(workdir, entry)
            if not (os.path.isfile(there) and filecmp.cmp(here, there, shallow=False)
                    and os.stat(here).st_mode == os.stat(there).st_mode):
                return False
        return True

    def ok_steps(self, name, upgraded):
        """The recap's "ok" count of a server that succeeded."""
        return (OK_UPGRADED if upgraded else OK_CURRENT) + (name in self.workdirs)

    def sim(self, *args):
        return subprocess.run([os.path.join(self.bin, "corvane-sim")] + list(args), capture_output=True, text=True)

    def boards(self, server):
        """Board name -> (firmware, sha256 of its flash), as the host shows them now."""
        host = self.servers[server]["simhost"]
        shown = json.loads(self.sim("show", host, "--json").stdout)
        result = {}
        for card in shown["cards"]:
            with open(os.path.join(host, "cards", card["name"], "flash.bin"), "rb") as f:
                result[card["name"]] = (card["firmware"], hashlib.sha256(f.read()).hexdigest())
        return result

    def snapshot(self):
        return {name: self.boards(name) for name in self.servers}

    def every_board_verifies(self):
        """The flash self-test of every board of every server, and no
        protocol violation recorded on any host."""
        package = self.layout["package"]
        for name, server in self.servers.items():
            env = dict(os.environ, CORVANE_SIMHOST=server["simhost"])
            for board in server["boards"]:
                test = subprocess.run([os.path.join(package, "burnkit"), "-i", board["locations"][0], "-F"],
                                      cwd=package, env=env, capture_output=True, text=True)
                check(test.returncode == 0 and "FLASH/NVRAM                 PASSED" in test.stdout,
                      "%s board %s verifies: %s" % (name, board["name"], test.stdout[-300:] + test.stderr))
            violations = self.sim("check", server["simhost"])
            check(violations.returncode == 0, "%s protocol check: %s" % (name, violations.stdout))

    def rollout(self):
        env = dict(os.environ, ANSIBLE_NOCOLOR="1", ANSIBLE_RETRY_FILES_ENABLED="0")
        run = subprocess.run(["ansible-playbook", "-i", os.path.join(self.root, "inventory.ini"), PLAYBOOK,
                              "-e", "corvane_package=" + self.layout["package"],
                              "-e", "corvane_report_dir=" + self.reports, "-e", "corvane_batch=2"],
                             cwd=self.root, env=env, capture_output=True, text=True)
        self.runs += 1
        with open(os.path.join(self.root, "ansible-run%d.log" % self.runs), "w") as f:
            f.write(run.stdout + run.stderr)
        return run


def recap(output):
    """Host -> counts from the play recap."""
    counts = {}
    for m in re.finditer(r"^(\S+)\s+: ok=(\d+)\s+changed=(\d+)\s+unreachable=(\d+)\s+failed=(\d+)\s+skipped=(\d+)",
                         output, re.M):
        counts[m.group(1)] = dict(zip(["ok", "changed", "unreachable", "failed", "skipped"],
                                      map(int, m.groups()[1:])))
    return counts


def expect_recap(counts, host, ok, changed, failed=0, ran=TASKS):
    got = counts.get(host)
    want = {"ok": ok, "changed": changed, "unreachable": 0, "failed": failed, "skipped": ran - ok - failed}
    check(got == want, "recap of %s: want %s, got %s" % (host, want, got))


def failure_message(output, host):
    m = re.search(r"^fatal: \[%s\]: FAILED! => (\{.*\})$" % re.escape(host), output, re.M)
    return json.loads(m.group(1)).get("msg", []) if m else None


def version_report(path):
    """The version report's values by element name, or None when unreadable."""
    try:
        root = ElementTree.parse(path).getroot()
    except (OSError, ElementTree.ParseError):
        return None
    return dict({child.tag: child.get("value") for child in root}, root=root.tag)


def first_runs(fleet, current):
    before = fleet.snapshot()
    run = fleet.rollout()
    check(run.returncode == 0, "first run exits 0, got %d:\n%s" % (run.returncode, run.stdout[-3000:]))
    counts = recap(run.stdout)
    after = fleet.snapshot()
    for name in fleet.servers:
        if name in current:
            expect_recap(counts, name, fleet.ok_steps(name, False), 0)
            check(after[name] == before[name], "%s (up to date) untouched" % name)
        else:
            expect_recap(counts, name, fleet.ok_steps(name, True), 1)
            for board, (firmware, flash) in after[name].items():
                check(firmware == fleet.firmware, "%s board %s at %s" % (name, board, firmware))
                if before[name][board][0] == fleet.firmware:
                    check(flash == before[name][board][1], "%s board %s (up to date) untouched" % (name, board))
        report = version_report(os.path.join(fleet.reports, name, "corvane_versions.xml"))
        check(report is not None and report["root"] == "orl_rom_discovery"
              and report.get("current_version") == fleet.firmware
              and report.get("package_version") == fleet.firmware,
              "%s version report on the controller: %s" % (name, report))
        log = os.path.join(fleet.reports, name, "burnkit.log")
        check(os.path.isfile(log) and os.path.getsize(log) > 0, "%s wrapper log on the controller" % name)
        check(fleet.placed(name), "%s holds the package in its working directory" % name)
    fleet.every_board_verifies()

    again = fleet.rollout()
    check(again.returncode == 0, "second run exits 0, got %d:\n%s" % (again.returncode, again.stdout[-3000:]))
    counts = recap(again.stdout)
    for name in fleet.servers:
        expect_recap(counts, name, fleet.ok_steps(name, False), 0)
    check(fleet.snapshot() == after, "second run changed no board")


def failing_batch(fleet, current, faulty):
    before = fleet.snapshot()
    run = fleet.rollout()
    check(run.returncode == 2, "a failed host makes ansible-playbook exit 2, got %d" % run.returncode)
    counts = recap(run.stdout)
    expect_recap(counts, "srv01", OK_UPGRADED, 1)
    expect_recap(counts, "srv02", OK_CURRENT, 0)
    expect_recap(counts, "srv03", OK_UPGRADED, 1)
    # The failing host ran its upgrade and the end of the log was kept;
    # its failure is the role's last task.
    expect_recap(counts, faulty, OK_UPGRADED + 1, 0, failed=1)
    message = failure_message(run.stdout, faulty) or []
    check(message[:1] == ["Keelson -s failed (exit code 0)"], "%s failure names the run: %s" % (faulty, message))
    check("NIC firmware update completed with errors" in message,
          "%s failure carries the wrapper's message: %s" % (faulty, message))
    later = ["srv05", "srv06", "srv07", "srv08"]
    check(not any(name in counts for name in later), "the roll-out stopped after the failing batch: %s" % counts)

    after = fleet.snapshot()
    for name in later:
        check(after[name] == before[name], "%s (later batch) untouched" % name)
    bad = fleet.servers[faulty]["fault"]
    # The failed write was undone from the backup: the board keeps its old
    # firmware (its hardware flags may have been cleared after the upgrade
    # run, as Keelson does for boards at 4.0.585).
    check(after[faulty][bad][0] == before[faulty][bad][0], "%s board %s keeps its old firmware" % (faulty, bad))
    for board, (firmware, _) in after[faulty].items():
        if board != bad:
            check(firmware == fleet.firmware, "%s board %s upgraded beside the failing one" % (faulty, board))
    fleet.every_board_verifies()


def windows_tasks_parse(work):
    """The Windows tasks are only loaded for Windows hosts; a syntax check
    of a playbook that imports them resolves their modules and arguments'
    form. Needs the ansible.windows collection on the controller."""
    listed = subprocess.run(["ansible-galaxy", "collection", "list", "ansible.windows"], capture_output=True, text=True)
    if "ansible.windows" not in listed.stdout:
        print("-- Windows tasks not checked: the ansible.windows collection is not installed", flush=True)
        return
    playbook = os.path.join(work, "windows-tasks.yml")
    with open(playbook, "w") as f:
        f.write("- hosts: localhost\n  gather_facts: false\n  tasks:\n"
                "    - ansible.builtin.import_tasks: %s\n" % os.path.join(ROLE, "tasks", "windows.yml"))
    run = subprocess.run(["ansible-playbook", "--syntax-check", playbook], capture_output=True, text=True)
    check(run.returncode == 0, "the Windows tasks parse: " + run.stdout + run.stderr)


def main():
    parser = argparse.ArgumentParser(description="firmware roll-out over a simulated fleet")
    parser.add_argument("--bin", default=os.path.join(REPO, "build", "bin"), help="built programs")
    parser.add_argument("--keep", help="make the fleets here and keep them (must not exist)")
    args = parser.parse_args()
    if shutil.which("ansible-playbook") is None:
        sys.exit("rollout_test: ansible-playbook not found (scripts/bootstrap installs ansible-core)")
    work = args.keep or tempfile.mkdtemp(prefix="corvane-fleet-")
    os.makedirs(work, exist_ok=True)
    bin_dir = os.path.abspath(args.bin)
    current = ["srv02", "srv05"]
    try:
        windows_tasks_parse(work)
        print("== first and second run over an eight-server fleet", flush=True)
        first_runs(Fleet(os.path.join(work, "fleet"), bin_dir, current, workdirs=["srv03", "srv05"]), current)
        print("== a failing server in the second batch", flush=True)
        failing_batch(Fleet(os.path.join(work, "faulty"), bin_dir, current, fault="srv04"), current, "srv04")
    finally:
        if not args.keep and not failures:
            shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("rollout_test: %d check(s) failed; the fleets are in %s" % (len(failures), work))
        return 1
    print("rollout_test: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
