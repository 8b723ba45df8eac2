#!/usr/bin/env python3
"""velinor.adapter through ansible-playbook against simulated adapters.

Each host of the inventories is a local connection with its own velinor-sim adapters on
pseudo-terminals; the hosts run in parallel forks. The fleet (three hosts, four adapters) is
configured, run again and given a new key, while check mode with --diff and the faults (a refused
key beside a good adapter, a missing port) run beside it. Every run is at -vvvv, and the keys must
appear in no output and in no process's command line."""

import argparse
import os
import re
import subprocess
import sys
import tempfile
import threading
import time

KEYS = ("fleet-key-7QxW", "rotated-key-9PzV")
STARTED = []  # every velinor-sim, ended at the end
READOUT = ["AT+IBDRF?", "AT+IWLSI?", "AT+IWST0?", "AT+IWLCH?", "AT+IWLSI?"]


def program(ssid, key):
    """The commands of one adapter's programming, as velinor-cli sends them."""
    return ["AT+IBDRF?", "AT+IFD", "AT+IHIF=4", "AT+IBDRF=9", "AT+IWLSI=" + ssid, "AT+IWST0=4",
            "AT+IWLCH=6", "AT+IWPP0=" + key, "AT+IBRM=2", "AT+IDOWN"]


class Check:
    def __init__(self):
        self.failures = []

    def __call__(self, name, ok, detail=""):
        print(("ok   " if ok else "FAIL ") + name, flush=True)
        if not ok:
            self.failures.append(name)
            print(detail, flush=True)


class Adapter:
    """velinor-sim on a pseudo-terminal, with a link in the work directory and a transcript."""

    def __init__(self, sim, work, name, *options):
        self.link = os.path.join(work, name)
        self.transcript = self.link + ".transcript"
        self.process = subprocess.Popen(
            [sim, "--link", self.link, "--transcript", self.transcript, "--key-delay", "0",
             "--scan-delay", "0", "--networks", os.path.join(work, "networks")] + list(options),
            stdout=subprocess.PIPE, text=True)
        STARTED.append(self.process)
        self.process.stdout.readline()  # the device path: the adapter is ready
        self.seen = 0

    def commands(self):
        """The commands received since the last call, without their carriage return."""
        with open(self.transcript) as f:
            lines = f.read().splitlines()
        new, self.seen = lines[self.seen:], len(lines)
        return [line[:-2] if line.endswith("\\r") else line for line in new]


class Playbook:
    """ansible-playbook (-vvvv) on an inventory of local hosts, one per entry of hosts."""

    def __init__(self, args, work, name, hosts, verbosity="-vvvv", **variables):
        self.args, self.work, self.verbosity = args, work, verbosity
        self.inventory = os.path.join(work, name + ".ini")
        with open(self.inventory, "w") as f:
            f.write("[all]\n")
            for host, ports in hosts.items():
                f.write("%s ports='%s'\n" % (host, str(ports).replace("'", '"')))
            f.write("[all:vars]\nansible_connection=local\nansible_python_interpreter=%s\n"
                    "cli=%s\n" % (sys.executable, args.cli))
            f.writelines("%s=%s\n" % item for item in variables.items())

    def run(self, playbook, *options, **extra):
        env = dict(os.environ, ANSIBLE_COLLECTIONS_PATH=self.args.collections, ANSIBLE_NOCOLOR="1",
                   ANSIBLE_HOST_KEY_CHECKING="0", ANSIBLE_PIPELINING="1", ANSIBLE_LOCAL_TEMP=self.work,
                   ANSIBLE_REMOTE_TMP=os.path.join(self.work, "remote"))
        command = ["ansible-playbook", self.verbosity, "-f", "16", "-i", self.inventory,
                   os.path.join(os.path.dirname(__file__), playbook)] + list(options)
        for name, value in extra.items():
            command += ["-e", "%s=%s" % (name, value)]
        done = subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              text=True, check=False)
        return done.stdout


def recap(output):
    """{host: (changed, failed)} from the play recap."""
    return dict((m.group(1), (int(m.group(2)), int(m.group(3)))) for m in re.finditer(
        r"^(\S+)\s+: ok=\d+\s+changed=(\d+)\s+unreachable=\d+\s+failed=(\d+)", output, re.M))


def watch_command_lines(stop, found):
    """Samples every process's command line until stop is set; found gets any with a key."""
    while not stop.is_set():
        for pid in os.listdir("/proc"):
            try:
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    line = f.read()
            except OSError:
                continue
            if any(key.encode() in line for key in KEYS):
                found.append(line)
        time.sleep(0.02)


def fleet(args, work, check, outputs):
    """Configure, again, --check --diff, a new key: on three hosts with four adapters."""
    adapters = dict((name, Adapter(args.sim, work, name)) for name in ("h1a", "h1b", "h2", "h3"))
    hosts = dict(h1=[adapters["h1a"].link, adapters["h1b"].link], h2=[adapters["h2"].link],
                 h3=[adapters["h3"].link])
    book = Playbook(args, work, "fleet", hosts, key=KEYS[0], rotated_key=KEYS[1])

    def expect(name, output, changed, transcript):
        outputs.append(output)
        check(name + ": changed per host", recap(output) == dict(
            (host, (changed, 0)) for host in hosts), output[-3000:])
        for adapter in adapters.values():
            got = adapter.commands()
            check("%s: %s's commands" % (name, os.path.basename(adapter.link)), got == transcript,
                  "%s\n!=\n%s" % (got, transcript))

    expect("first run", book.run("fleet.yml"), 1, READOUT + program("office", KEYS[0]) + READOUT)
    expect("second run", book.run("fleet.yml"), 0, READOUT)
    output = book.run("fleet.yml", key_var="rotated_key", update_key="always")
    expect("update_key: always", output, 1, READOUT + program("office", KEYS[1]) + READOUT)
    check("update_key: always warns", "[WARNING]: update_key=always: the adapter reports" in output,
          output[-3000:])


def check_mode(args, work, check, outputs):
    """--check --diff on two hosts: what would change, and no programming command."""
    adapters = [Adapter(args.sim, work, name) for name in ("c1", "c2")]
    book = Playbook(args, work, "check", dict(c1=[adapters[0].link], c2=[adapters[1].link]),
                    key=KEYS[0])
    output = book.run("fleet.yml", "--check", "--diff")
    outputs.append(output)
    check("check mode: changed per host", recap(output) == dict(c1=(1, 0), c2=(1, 0)),
          output[-3000:])
    check("check mode: only read-out commands", all(a.commands() == READOUT for a in adapters))
    check("--diff: before and after per port",
          "--- before: %s\n+++ after: %s\n" % (adapters[1].link, adapters[1].link) in output and
          "-ssid: velinor\n-security: NONE\n-channel: 0\n+ssid: office\n+security: WPA2\n"
          "+channel: 6\n" in output, output[-3000:])


def faults(args, work, check, outputs):
    """A key refused beside a good adapter, a missing port (in German); then wlan_info."""
    good = Adapter(args.sim, work, "f1good")
    refusing = Adapter(args.sim, work, "f1refusing", "--error", "AT+IWPP0")
    gone = os.path.join(work, "gone")
    book = Playbook(args, work, "faults", dict(f1=[good.link, refusing.link], f2=[gone]),
                    key=KEYS[0], lang="de")
    output = book.run("fleet.yml")
    outputs.append(output)
    check("faults: f1 and f2 failed",
          recap(output) == dict(f1=(0, 1), f2=(0, 1)), output[-3000:])
    check("refused key: the catalogue's text",
          "%s: Fehler beim Schlüssel einstellen" % refusing.link in output, output[-3000:])
    check("missing port: the port's text",
          "%s: Fehler beim Öffnen von %s" % (gone, gone) in output, output[-3000:])
    check("refused key: the good adapter configured", good.commands() == READOUT + program(
        "office", KEYS[0]) + READOUT and re.search(
        r'"port": "%s",\s+"rc": 0,\s+"status": "configured"' % good.link, output), output[-3000:])
    output = book.run("info.yml", "--limit", "f1")
    outputs.append(output)
    check("wlan_info: settings and networks as facts",
          "%s holds office, sees near,far" % good.link in output, output[-3000:])


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--collections", required=True)
    args = parser.parse_args()
    args.cli, args.sim = os.path.abspath(args.cli), os.path.abspath(args.sim)
    check = Check()
    outputs = []
    found = []
    stop = threading.Event()
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, "networks"), "w") as f:
            f.write("far,AP,00:1A:2B:3C:4D:01,WPA2,6,80\nnear,ADHOC,02:11:22:33:44:55,WEP,11,40\n")
        watcher = threading.Thread(target=watch_command_lines, args=(stop, found))
        watcher.start()
        parts = [threading.Thread(target=part, args=(args, work, check, outputs))
                 for part in (fleet, check_mode, faults)]
        for part in parts:
            part.start()
        for part in parts:
            part.join()
        stop.set()
        watcher.join()
        for process in STARTED:
            process.terminate()
            process.wait()
    check("keys in no output at -vvvv",
          not any(key in output for output in outputs for key in KEYS))
    check("keys in no command line", not found, "\n".join(map(repr, found)))
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
