# -*- coding: utf-8 -*-
# What the adapters of one machine hold and which networks they see, as facts.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: wlan_info
short_description: The wireless LAN adapters of a machine, what they hold and what they see
version_added: "1.7.0"
description:
  - Lists the adapters that velinor-cli's automatic port search finds (or every serial port
    with C(all)), reads each adapter out and, with C(scan), lists the networks in range,
    lowest damping first.
  - The data of C(velinor-cli ports), C(readout) and C(scan) with C(--json), returned and
    set as the fact C(velinor_adapters).
  - Reading out sends only queries; a scan pauses the adapter's link while it runs.
extends_documentation_fragment: velinor.adapter.cli
options:
  port:
    description:
      - The ports to read out, a path or a list of paths.
      - Left out, every adapter that the automatic port search finds.
    type: list
    elements: str
  all:
    description: Also list every serial port of the machine, with its USB ids where known,
      in C(serial_ports).
    type: bool
    default: false
  scan:
    description: Also scan each adapter for the networks in range.
    type: bool
    default: false
attributes:
  check_mode:
    support: full
    description: The module only reads.
author:
  - Velinor developers
"""

EXAMPLES = r"""
- name: What the adapters hold, with the networks they see
  velinor.adapter.wlan_info:
    scan: true
  register: wlan

- name: The strongest network the first adapter sees
  ansible.builtin.debug:
    msg: "{{ velinor_adapters[0].networks[0].ssid }}"

- name: Every serial port of the machine
  velinor.adapter.wlan_info:
    all: true
"""

RETURN = r"""
serial_ports:
  description: Every serial port with its USB id (C(vvvv:pppp)) or null; with C(all) only.
  returned: when all is true
  type: list
  elements: dict
  sample: [{port: /dev/ttyACM0, usb_id: "7c5e:0003"}, {port: /dev/ttyS0, usb_id: null}]
adapters:
  description: Per port what it holds and, with C(scan), the networks in range.
  returned: always
  type: list
  elements: dict
  contains:
    port:
      description: The serial port.
      type: str
    settings:
      description: C(ssid), C(security), C(channel), C(access_type); a value the adapter did not
        report is null; null when the port could not be read.
      type: dict
    networks:
      description: With C(scan), the networks in range, lowest damping first, each with C(ssid),
        C(access_type), C(mac), C(channel), C(security) and C(damping).
      type: list
      elements: dict
    rc:
      description: velinor-cli's exit code for the port.
      type: int
    msg:
      description: Why the port could not be read, in velinor-cli's words; empty otherwise.
      type: str
ansible_facts:
  description: The facts set.
  returned: always
  type: dict
  contains:
    velinor_adapters:
      description: The same list as C(adapters).
      type: list
      elements: dict
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.velinor.adapter.plugins.module_utils.velinor_cli import (
    COMMON_ARGUMENTS, EXIT_OK, VelinorCli, task_code)


def main():
    module = AnsibleModule(
        argument_spec=dict(
            port=dict(type="list", elements="str"),
            all=dict(type="bool", default=False),
            scan=dict(type="bool", default=False),
            **COMMON_ARGUMENTS),
        supports_check_mode=True,
    )
    cli = VelinorCli(module)
    result = dict(changed=False)
    if module.params["all"]:
        result["serial_ports"] = cli.ports(every_serial_port=True)

    def look(port):
        adapter = cli.readout(port)
        if module.params["scan"] and adapter["rc"] == EXIT_OK:
            adapter["rc"], adapter["msg"], adapter["networks"] = cli.scan(port)
        return adapter

    adapters = cli.each_port(look, cli.port_list(module.params["port"], required=False))
    result.update(adapters=adapters, ansible_facts=dict(velinor_adapters=adapters))
    rc = task_code([a["rc"] for a in adapters])
    if rc != EXIT_OK:
        module.fail_json(msg="; ".join("%s: %s" % (a["port"], a["msg"]) for a in adapters
                                       if a["rc"] != EXIT_OK), rc=rc, **result)
    module.exit_json(rc=rc, **result)


if __name__ == "__main__":
    main()
