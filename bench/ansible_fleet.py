#!/usr/bin/env python3
"""velinor.adapter on 16 hosts at once (forks 16, one simulated adapter each) against 1 host.

Each host is a local connection with its own velinor-sim (key delay 0, so that a configure
costs the protocol's floor of about 14 s). Prints the wall times, their ratio (goal: at most
1.25) and Ansible's overhead: on one host against velinor-cli's own readout, configure and
readout, and per host added."""

import argparse
import os
import resource
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "ansible"))
from test_ansible import KEYS, STARTED, Adapter, Playbook, recap  # noqa: E402


def fleet_run(args, work, hosts):
    """Wall and CPU seconds of the first playbook run on hosts fresh adapters, one per host."""
    adapters = [Adapter(args.sim, work, "b%d-%d" % (hosts, i)) for i in range(hosts)]
    book = Playbook(args, work, "bench%d" % hosts,
                    dict(("host%02d" % i, [a.link]) for i, a in enumerate(adapters)),
                    verbosity="-v", key=KEYS[0])
    start, used = time.monotonic(), cpu_seconds()
    output = book.run("fleet.yml")
    wall, used = time.monotonic() - start, cpu_seconds() - used
    if recap(output) != dict(("host%02d" % i, (1, 0)) for i in range(hosts)):
        sys.exit("bench: the run on %d hosts did not configure every adapter:\n%s" % (hosts,
                                                                                    output))
    return wall, used


def cpu_seconds():
    """User and system time of every process waited for so far."""
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def cli_run(args, work):
    """Wall seconds of velinor-cli's readout, configure and readout on a fresh adapter."""
    port = Adapter(args.sim, work, "cli").link
    start = time.monotonic()
    for command, secret in ((["readout"], None), (["configure", "--ssid", "office",
                            "--access-point", "--security", "WPA2", "--channel", "6",
                            "--key-stdin"], KEYS[0] + "\n"), (["readout"], None)):
        subprocess.run([args.cli] + command + ["--port", port, "--json", "--quiet"], input=secret,
                       text=True, stdout=subprocess.DEVNULL, check=True)
    return time.monotonic() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--collections", required=True)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work:
        try:
            with open(os.path.join(work, "networks"), "w"):
                pass
            cli = cli_run(args, work)
            one = fleet_run(args, work, 1)
            sixteen = fleet_run(args, work, 16)
        finally:
            for process in STARTED:
                process.terminate()
                process.wait()
    (one, one_cpu), (sixteen, sixteen_cpu) = one, sixteen
    print("Load average after the runs (1, 5, 15 min): %.2f %.2f %.2f" % os.getloadavg())
    print("| Figure | Measured | Yardstick | Ratio | Target | Met |")
    print("|---|---|---|---|---|---|")
    print("| velinor.adapter.wlan: 16 hosts, one adapter each, forks 16 | %.2f s | 1 host %.2f s "
          "| %.3f | <= 1.25 x one host | %s |" % (sixteen, one, sixteen / one,
                                                 "yes" if sixteen / one <= 1.25 else ""))
    print("| Ansible's overhead on 1 host (against velinor-cli's own %.2f s) | %.2f s | | | | |"
          % (cli, one - cli))
    print("| Ansible's cost per host added (16 hosts against 1) | %.3f s | | | | |"
          % ((sixteen - one) / 15))
    print("| CPU time of the run (Ansible, Python, velinor-cli): 16 hosts / 1 host | %.1f s / "
          "%.1f s | | | | |" % (sixteen_cpu, one_cpu))
    print("| CPU time per host added | %.2f s | | | | |" % ((sixteen_cpu - one_cpu) / 15))


if __name__ == "__main__":
    main()
