#!/usr/bin/env python3
"""The roll-out engine's overhead: one run of deploy/ansible/rollout.yml over
a fresh simulated fleet (eight servers, two of them up to date, batches of
two), its wall time against the time its Keelson runs took.

Keelson's time per batch is counted two ways: the sum of every Keelson run
of the batch's hosts, and the batch's critical path (the hosts of a batch run
side by side, so the longest host's Keelson time). The ratios of the wall
time to the totals of each are printed; the engine's target is 1.3.

The engine's floor is measured beside it: the same fleet's inventory and
batches under a playbook of empty tasks (`true` through the command module,
with the role's connection settings), run with none and with a few of them;
the difference per task and batch is what one module run costs a batch
before any work is done.

usage: fleet_rollout_bench.py [--bin DIR] [--hosts N] [--batch N] [--runs N] [--floor-tasks N]
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
PLAYBOOK = os.path.join(REPO, "deploy", "ansible", "rollout.yml")
MAKE_FLEET = os.path.join(REPO, "deploy", "ansible", "simfleet", "make-fleet")


def seconds(delta):
    """The command module's "H:MM:SS.ffffff" as seconds."""
    h, m, s = delta.split(":")
    return int(h) * 3600 + int(m) * 60 + float(s)


def keelson_seconds(output):
    """Host -> seconds spent in Keelson runs, from the json callback's
    output. Every command task of the role that ran Keelson carries its
    argv; its delta is the run's time."""
    per_host = {}
    for play in output["plays"]:
        for task in play["tasks"]:
            for host, result in task["hosts"].items():
                cmd = result.get("cmd")
                keelson = isinstance(cmd, list) and cmd and os.path.basename(cmd[0]).startswith("Keelson")
                if keelson and "delta" in result:
                    per_host[host] = per_host.get(host, 0.0) + seconds(result["delta"])
    return per_host


def make_fleet(work, bin_dir, hosts):
    fleet = os.path.join(work, "fleet")
    shutil.rmtree(fleet, ignore_errors=True)
    subprocess.run([MAKE_FLEET, fleet, "--hosts", str(hosts), "--bin", bin_dir, "--current", "srv02,srv05"],
                   check=True, stdout=subprocess.DEVNULL)
    return fleet


def one_run(work, bin_dir, hosts, batch):
    fleet = make_fleet(work, bin_dir, hosts)
    env = dict(os.environ, ANSIBLE_STDOUT_CALLBACK="json", ANSIBLE_RETRY_FILES_ENABLED="0")
    started = time.monotonic()
    run = subprocess.run(["ansible-playbook", "-i", os.path.join(fleet, "inventory.ini"), PLAYBOOK,
                          "-e", "corvane_package=" + os.path.join(fleet, "package"),
                          "-e", "corvane_report_dir=" + os.path.join(fleet, "reports"),
                          "-e", "corvane_batch=%d" % batch],
                         cwd=fleet, env=env, capture_output=True, text=True)
    wall = time.monotonic() - started
    if run.returncode != 0:
        sys.exit("fleet_rollout_bench: ansible-playbook exited %d\n%s" % (run.returncode, run.stderr[-2000:]))
    per_host = keelson_seconds(json.loads(run.stdout))
    names = ["srv%02d" % n for n in range(1, hosts + 1)]
    batches = [names[i:i + batch] for i in range(0, hosts, batch)]
    summed = sum(sum(per_host.get(h, 0.0) for h in b) for b in batches)
    critical = sum(max(per_host.get(h, 0.0) for h in b) for b in batches)
    return wall, summed, critical


def empty_tasks_wall(fleet, batch, tasks):
    """Wall time of a playbook of `tasks` empty command tasks over the
    fleet's hosts in batches of `batch`."""
    playbook = os.path.join(fleet, "empty-%d.yml" % tasks)
    with open(playbook, "w") as f:
        f.write("- hosts: all\n  gather_facts: false\n  serial: %d\n  max_fail_percentage: 0\n"
                "  vars:\n    ansible_pipelining: true\n  tasks:\n" % batch)
        f.write("    - {ansible.builtin.command: 'true', changed_when: false}\n" * tasks or "    []\n")
    env = dict(os.environ, ANSIBLE_RETRY_FILES_ENABLED="0")
    started = time.monotonic()
    run = subprocess.run(["ansible-playbook", "-i", os.path.join(fleet, "inventory.ini"), playbook],
                         cwd=fleet, env=env, capture_output=True, text=True)
    wall = time.monotonic() - started
    if run.returncode != 0:
        sys.exit("fleet_rollout_bench: the empty playbook exited %d\n%s" % (run.returncode, run.stdout[-2000:]))
    return wall


def main():
    parser = argparse.ArgumentParser(description="roll-out engine overhead over a simulated fleet")
    parser.add_argument("--bin", default=os.path.join(REPO, "build", "bin"))
    parser.add_argument("--hosts", type=int, default=8)
    parser.add_argument("--batch", type=int, default=2)
    parser.add_argument("--runs", type=int, default=1)
    parser.add_argument("--floor-tasks", type=int, default=4,
                        help="empty tasks for the floor measurement (0: no floor measurement)")
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="corvane-fleet-bench-")
    try:
        for n in range(args.runs):
            wall, summed, critical = one_run(work, os.path.abspath(args.bin), args.hosts, args.batch)
            print("run %d: wall %.1f s; Keelson %.1f s summed over hosts (ratio %.2f), %.1f s on the batches' "
                  "critical paths (ratio %.2f)" % (n + 1, wall, summed, wall / summed, critical, wall / critical))
        if args.floor_tasks > 0:
            fleet = os.path.join(work, "fleet")
            batches = -(-args.hosts // args.batch)
            bare = empty_tasks_wall(fleet, args.batch, 0)
            full = empty_tasks_wall(fleet, args.batch, args.floor_tasks)
            print("floor: a playbook over the same batches takes %.1f s with no task and %.1f s with %d empty tasks: "
                  "%.2f s per empty task and batch" % (bare, full, args.floor_tasks,
                                                        (full - bare) / (args.floor_tasks * batches)))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
