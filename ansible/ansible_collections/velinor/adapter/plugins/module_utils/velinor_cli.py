# -*- coding: utf-8 -*-
# velinor-cli run on the managed machine: the adapter's protocol lives there, not here.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
from concurrent.futures import ThreadPoolExecutor

# Exit codes of velinor-cli.
EXIT_OK = 0
EXIT_REFUSED = 1
EXIT_USAGE = 2
EXIT_NO_PORT = 3

SETTINGS = ("ssid", "security", "channel", "access_type")

COMMON_ARGUMENTS = dict(
    cli=dict(type="path", default="velinor-cli"),
    lang=dict(type="str", choices=["de", "en"]),
    log=dict(type="path"),
)


def task_code(codes):
    """velinor-cli's rule for several ports: a refusal outweighs a missing port."""
    failed = [code for code in codes if code != EXIT_OK]
    if not failed:
        return EXIT_OK
    return EXIT_REFUSED if EXIT_REFUSED in failed else max(failed)


def settings_text(settings):
    """Settings as lines of "name: value", for --diff."""
    return "".join("%s: %s\n" % (name, settings.get(name)) for name in SETTINGS)


class VelinorCli(object):
    """Runs velinor-cli commands with --json and turns their answers into Python data."""

    def __init__(self, module):
        self.module = module
        params = module.params
        # Found before any work: a missing program fails the task once, not once per port.
        self.program = module.get_bin_path(params["cli"], required=True)
        self.common = ["--quiet"]
        if params.get("lang"):
            self.common += ["--lang", params["lang"]]
        if params.get("log"):
            self.common += ["--log", params["log"]]

    def run(self, args, secret=None):
        """(exit code, JSON document or None, last message on standard error).

        A secret goes to standard input as its first line, never onto the command line."""
        argv = [self.program] + list(args) + ["--json"] + self.common
        rc, out, err = self.module.run_command(argv, data=secret, check_rc=False)
        try:
            document = json.loads(out) if out.strip() else None
        except ValueError:
            document = None
        lines = [line.strip() for line in err.splitlines() if line.strip()]
        message = lines[-1] if lines else ("velinor-cli exited with %d" % rc if rc else "")
        return rc, document, message

    def ports(self, every_serial_port=False):
        """The adapters' ports (or every serial port) as dicts with port and usb_id."""
        rc, document, message = self.run(["ports"] + (["--all"] if every_serial_port else []))
        if rc != EXIT_OK or document is None:
            self.module.fail_json(msg=message, rc=rc)
        return [dict(port=p["port"], usb_id=p["usbId"]) for p in document["ports"]]

    def port_list(self, given, required=True):
        """The ports given (a path or a list), else every adapter the port search finds;
        none found fails the task when they are required."""
        if given:
            return list(dict.fromkeys(given))  # each port once, in the order given
        found = [p["port"] for p in self.ports()]
        if required and not found:
            self.module.fail_json(msg="velinor-cli found no adapter (USB 7C5E:0003)",
                                  rc=EXIT_NO_PORT)
        return found

    def readout(self, port):
        """What the adapter holds: dict(port, rc, msg, settings); settings None without answer."""
        rc, document, message = self.run(["readout", "--port", port])
        settings = None
        if document is not None:
            access = document.get("accessType")
            settings = dict(ssid=document.get("ssid"), security=document.get("security"),
                            channel=document.get("channel"),
                            access_type=access.replace("-", "_") if access else None)
        return dict(port=port, rc=rc, msg=message if rc else "", settings=settings)

    def scan(self, port):
        """(exit code, message, networks in range, lowest damping first)."""
        rc, document, message = self.run(["scan", "--port", port])
        networks = []
        for network in (document or {}).get("networks", []):
            network = dict(network)
            network["access_type"] = network.pop("accessType").replace("-", "_")
            networks.append(network)
        return rc, message if rc else "", networks

    def each_port(self, work, ports):
        """work(port) for every port at once: each adapter answers in its own time."""
        if len(ports) < 2:
            return [work(port) for port in ports]
        with ThreadPoolExecutor(max_workers=len(ports)) as pool:
            return list(pool.map(work, ports))

    def configure(self, ports, args, secret):
        """{port: (code, message)} after one velinor-cli configure for every port."""
        argv = ["configure"]
        for port in ports:
            argv += ["--port", port]
        rc, document, message = self.run(argv + args, secret)
        if document is None:  # refused before any port was opened
            return dict((port, (rc, message)) for port in ports)
        return dict((p["port"], (p["code"], p["message"])) for p in document["ports"])
