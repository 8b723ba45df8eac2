# -*- coding: utf-8 -*-
# Keeps the adapters of one machine on a network: read out first, program only what differs.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: wlan
short_description: Keeps the wireless LAN adapters of a machine on a network
version_added: "1.7.0"
description:
  - Reads every adapter out with C(velinor-cli readout) and leaves alone the ones that already
    hold the SSID, security type, channel and access type asked for.
  - Programs the others together with one C(velinor-cli configure), then reads them out again;
    an adapter that does not hold what was asked fails the task.
  - Programming restarts the adapter and drops its link, which is why nothing is programmed
    that already matches.
  - Key and password reach velinor-cli on its standard input, never on a command line; they
    appear neither in the task's result nor in Ansible's output.
extends_documentation_fragment: velinor.adapter.cli
options:
  port:
    description:
      - The adapters' serial ports on the managed machine, a path or a list of paths.
      - Left out, every adapter that velinor-cli's automatic port search finds.
    type: list
    elements: str
  ssid:
    description: The network name.
    type: str
    required: true
  access_type:
    description: Join an access point, or an ad hoc network.
    type: str
    choices: [access_point, ad_hoc]
    default: access_point
  security:
    description: The security type.
    type: str
    choices: [NONE, WEP, WEP128, WPA, WPA2, WPA-ENTERPRISE, WPA2-ENTERPRISE]
    required: true
  channel:
    description:
      - The channel. Left out (with C(access_point) only), the adapter's channel is not
        compared and velinor-cli leaves the choice to the adapter.
    type: int
  key:
    description: The key for C(WEP) to C(WPA2) (10 or 26 hex digits for WEP, 8 to 63
      characters for WPA).
    type: str
  password:
    description: The password for C(WPA-ENTERPRISE) and C(WPA2-ENTERPRISE).
    type: str
  user:
    description: The user name for the enterprise types.
    type: str
  domain:
    description: The domain of the user for the enterprise types.
    type: str
  certificate:
    description: The CA certificate (PEM) for the enterprise types, a path on the managed machine.
    type: path
  update_key:
    description:
      - C(on_change) programs an adapter only when its SSID, security type, channel or access
        type differs.
      - The adapter reports neither its key nor user, domain or certificate. C(always) programs
        every adapter, so that a new key reaches adapters whose other settings already match;
        the task then warns that these were not compared.
    type: str
    choices: [on_change, always]
    default: on_change
attributes:
  check_mode:
    support: full
    description: Reads out and says what would change; sends no programming command.
  diff_mode:
    support: full
    description: Before and after, per port.
author:
  - Velinor developers
"""

EXAMPLES = r"""
- name: Every adapter of the machine on the office network
  velinor.adapter.wlan:
    ssid: office
    security: WPA2
    channel: 6
    key: "{{ office_key }}"

- name: A new key everywhere, even where the rest already matches
  velinor.adapter.wlan:
    port: [/dev/ttyACM0, /dev/ttyACM1]
    ssid: office
    security: WPA2
    channel: 6
    key: "{{ vault_office_key }}"
    update_key: always
    lang: de

- name: Enterprise network with a CA certificate on the machine
  velinor.adapter.wlan:
    ssid: corp
    security: WPA2-ENTERPRISE
    channel: 11
    user: anna
    domain: corp
    password: "{{ vault_corp_password }}"
    certificate: /etc/ssl/certs/corp-ca.pem
"""

RETURN = r"""
ports:
  description: Per port, in the order given, what happened.
  returned: always
  type: list
  elements: dict
  contains:
    port:
      description: The serial port.
      type: str
    status:
      description: C(unchanged), C(configured), C(would_configure) (check mode) or C(failed).
      type: str
    before:
      description: What the adapter held (C(ssid), C(security), C(channel), C(access_type));
        null when it could not be read.
      type: dict
    after:
      description: What it holds afterwards (read out again), or would hold in check mode.
      type: dict
    msg:
      description: Why the port failed, in velinor-cli's words; empty otherwise.
      type: str
    rc:
      description: velinor-cli's exit code for the port (0, 1 refused, 3 no port or no answer).
      type: int
  sample:
    - port: /dev/ttyACM0
      status: configured
      before: {ssid: velinor, security: NONE, channel: 0, access_type: access_point}
      after: {ssid: office, security: WPA2, channel: 6, access_type: access_point}
      msg: ""
      rc: 0
rc:
  description: velinor-cli's exit code for the task (1 when any port refused, else 3 when a port
    failed, else 0).
  returned: always
  type: int
msg:
  description: On failure, each failed port with velinor-cli's message.
  returned: failure
  type: str
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.velinor.adapter.plugins.module_utils.velinor_cli import (
    COMMON_ARGUMENTS, EXIT_OK, EXIT_REFUSED, SETTINGS, VelinorCli, settings_text, task_code)

KEYED = ("WEP", "WEP128", "WPA", "WPA2")
ENTERPRISE = ("WPA-ENTERPRISE", "WPA2-ENTERPRISE")


def wanted(params):
    """The settings asked for; a channel left out is not compared."""
    return dict((name, params[name]) for name in SETTINGS)


def matches(held, want):
    return held is not None and all(
        want[name] is None or held.get(name) == want[name] for name in SETTINGS)


def configure_arguments(params):
    """velinor-cli configure's options and the secret for its standard input."""
    args = ["--ssid", params["ssid"], "--security", params["security"],
            "--access-point" if params["access_type"] == "access_point" else "--ad-hoc"]
    if params["channel"] is not None:
        args += ["--channel", str(params["channel"])]
    secret = None
    if params["security"] in KEYED and params["key"] is not None:
        args.append("--key-stdin")
        secret = params["key"]
    if params["security"] in ENTERPRISE:
        for name in ("user", "domain", "certificate"):
            if params[name] is not None:
                args += ["--" + name, params[name]]
        if params["password"] is not None:
            args.append("--password-stdin")
            secret = params["password"]
    return args, secret


def port_result(reading, status, after=None, rc=EXIT_OK, msg=""):
    return dict(port=reading["port"], status=status, before=reading["settings"], after=after,
                rc=rc, msg=msg)


def program(cli, todo, want, params):
    """Configures the ports together, then reads them out again: their results."""
    args, secret = configure_arguments(params)
    outcome = cli.configure([r["port"] for r in todo], args, secret)
    done = [r for r in todo if outcome[r["port"]][0] == EXIT_OK]
    after = dict((r["port"], r) for r in cli.each_port(cli.readout, [r["port"] for r in done]))
    results = []
    for reading in todo:
        code, message = outcome[reading["port"]]
        if code != EXIT_OK:
            results.append(port_result(reading, "failed", rc=code, msg=message))
            continue
        held = after[reading["port"]]["settings"]
        if matches(held, want):
            results.append(port_result(reading, "configured", held))
        else:
            results.append(port_result(
                reading, "failed", held, EXIT_REFUSED,
                "the adapter holds %s after programming" % settings_text(held or {}).replace(
                    "\n", ", ").rstrip(", ")))
    return results


def main():
    module = AnsibleModule(
        argument_spec=dict(
            port=dict(type="list", elements="str"),
            ssid=dict(type="str", required=True),
            access_type=dict(type="str", choices=["access_point", "ad_hoc"],
                             default="access_point"),
            security=dict(type="str", required=True,
                          choices=["NONE", "WEP", "WEP128", "WPA", "WPA2"] + list(ENTERPRISE)),
            channel=dict(type="int"),
            key=dict(type="str", no_log=True),
            password=dict(type="str", no_log=True),
            user=dict(type="str"),
            domain=dict(type="str"),
            certificate=dict(type="path"),
            update_key=dict(type="str", choices=["on_change", "always"], default="on_change"),
            **COMMON_ARGUMENTS),
        supports_check_mode=True,
    )
    params = module.params
    cli = VelinorCli(module)
    want = wanted(params)
    always = params["update_key"] == "always"
    if always:
        module.warn("update_key=always: the adapter reports neither key nor user, domain or "
                    "certificate, so they were not compared; every adapter that answered is "
                    "programmed again")

    readings = cli.each_port(cli.readout, cli.port_list(params["port"]))
    results = dict()
    todo = []
    for reading in readings:
        if reading["rc"] not in (EXIT_OK, EXIT_REFUSED):
            results[reading["port"]] = port_result(reading, "failed", rc=reading["rc"],
                                                   msg=reading["msg"])
        elif always or not matches(reading["settings"], want):
            todo.append(reading)
        else:
            results[reading["port"]] = port_result(reading, "unchanged", reading["settings"])
    if module.check_mode:
        for reading in todo:
            expected = dict(reading["settings"] or {})
            expected.update((name, value) for name, value in want.items() if value is not None)
            results[reading["port"]] = port_result(reading, "would_configure", expected)
    elif todo:
        results.update((r["port"], r) for r in program(cli, todo, want, params))

    ports = [results[r["port"]] for r in readings]
    changed = any(p["status"] in ("configured", "would_configure") for p in ports)
    diff = [dict(before_header=p["port"], after_header=p["port"],
                 before=settings_text(p["before"] or {}), after=settings_text(p["after"] or {}))
            for p in ports if p["status"] in ("configured", "would_configure")]
    rc = task_code([p["rc"] for p in ports])
    if rc != EXIT_OK:
        module.fail_json(msg="; ".join("%s: %s" % (p["port"], p["msg"]) for p in ports
                                       if p["status"] == "failed"),
                         rc=rc, ports=ports, changed=changed, diff=diff)
    module.exit_json(changed=changed, rc=rc, ports=ports, diff=diff)


if __name__ == "__main__":
    main()
