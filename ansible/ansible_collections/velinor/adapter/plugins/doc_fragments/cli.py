# -*- coding: utf-8 -*-
# The options that every module of this collection passes on to velinor-cli.


class ModuleDocFragment(object):
    DOCUMENTATION = r"""
options:
  cli:
    description:
      - The path of C(velinor-cli) on the managed machine, or its name to look up in C(PATH).
    type: path
    default: velinor-cli
  lang:
    description:
      - The language of velinor-cli's messages, which become the task's C(msg).
      - Left out, velinor-cli decides (German when C(LANG) begins with C(de), else English).
    type: str
    choices: [de, en]
  log:
    description:
      - velinor-cli's C(--log) file on the managed machine; its records are appended.
      - The file holds keys in plain text; velinor-cli creates it readable by its owner only.
    type: path
requirements:
  - C(velinor-cli) on the managed machine (package C(velinor)).
notes:
  - The module runs C(velinor-cli) with C(--json) on the managed machine; velinor-cli speaks
    to the adapter, with its pauses, time-outs and texts.
"""
