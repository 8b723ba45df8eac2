#!/usr/bin/env python3
"""Reads the running velinor as a screen reader does, over AT-SPI: every focusable control of
the form has a name, and the names are the labels as they read, in German and in English.

Run under an X server (xvfb-run); starts a D-Bus session bus of its own. Exits 77 (skipped)
only when that bus or the accessibility bus cannot be started."""

import os
import subprocess
import sys
import tempfile
import time

SKIP = 77
NAMES = {
    0: ["Sprache", "Serielle Schnittstelle", "Netzsuche", "SSID", "Verschlüsselung", "Kanal",
        "Access Point", "Ad Hoc", "Schlüssel", "Benutzername", "Domäne", "Passwort",
        "Zertifikat auswählen", "Auslesen", "Konfigurieren", "Beenden"],
    10000: ["Language", "Serial Port", "Netsearch", "SSID", "Encryption", "Channel",
            "Access Point", "Ad Hoc", "Key", "Username", "Domain", "Password", "License select",
            "Readout", "Configure", "Quit"],
}


def skip(reason):
    print(f"SKIPPED: {reason}")
    sys.exit(SKIP)


def start_session_bus():
    read_end, write_end = os.pipe()
    try:
        daemon = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", f"--print-address={write_end}"],
            pass_fds=[write_end], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
    except OSError as error:
        skip(f"the D-Bus session bus cannot start ({error})")
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        address = pipe.readline().strip()
    if not address:
        daemon.wait()
        skip("the D-Bus session bus cannot start (no address)")
    return daemon, address


def focusable_controls(pyatspi, node, found):
    """The focusable, showing controls below node: (role, name)."""
    states = node.getState()
    if not states.contains(pyatspi.STATE_SHOWING):
        return
    if states.contains(pyatspi.STATE_FOCUSABLE):
        found.append((node.getRoleName(), node.name or ""))
    for child in node:
        if child is not None:
            focusable_controls(pyatspi, child, found)


def read_form(pyatspi, program, language, workdir):
    with open(os.path.join(workdir, "settings.ini"), "w", encoding="utf-8") as ini:
        ini.write(f"[settings]\nlanguage={language}\nsearch=1\nlog=0\n")
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
               QT_QPA_PLATFORM="xcb")
    with open(os.path.join(workdir, f"velinor-{language}.out"), "w") as out:
        proc = subprocess.Popen([program], cwd=workdir, env=env, stdin=subprocess.DEVNULL,
                                stdout=out, stderr=subprocess.STDOUT)
    try:
        expected = sorted(NAMES[language])
        found = []
        deadline = time.monotonic() + 12
        while time.monotonic() < deadline:
            if proc.poll() is not None:
                sys.exit(f"velinor ended with {proc.returncode} before it could be read")
            desktop = pyatspi.Registry.getDesktop(0)
            found = []
            for app in desktop:
                if app is not None and app.get_process_id() == proc.pid:
                    focusable_controls(pyatspi, app, found)
            if sorted(name for _, name in found) == expected:
                break
            time.sleep(0.3)
        return found
    finally:
        proc.terminate()
        proc.wait(timeout=10)


def main():
    program = os.path.abspath(sys.argv[1])
    daemon, address = start_session_bus()
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
    failures = []
    try:
        try:
            import pyatspi  # connects to the accessibility bus of this session
            pyatspi.Registry.getDesktop(0).childCount
        except Exception as error:  # the bus launcher or the registry did not come up
            skip(f"the accessibility bus cannot start ({error})")
        with tempfile.TemporaryDirectory() as workdir:
            for language, names in NAMES.items():
                found = read_form(pyatspi, program, language, workdir)
                unnamed = [role for role, name in found if not name.strip()]
                print(f"language {language}: {len(found)} focusable controls: "
                      + ", ".join(f"{role} '{name}'" for role, name in found))
                if unnamed:
                    failures.append(f"language {language}: without a name: {unnamed}")
                if sorted(name for _, name in found) != sorted(names):
                    failures.append(f"language {language}: names {sorted(n for _, n in found)}"
                                    f" instead of {sorted(names)}")
    finally:
        daemon.terminate()
        daemon.wait(timeout=10)
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
