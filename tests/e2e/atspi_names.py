#!/usr/bin/env python3
"""Reads the running velinor over AT-SPI as a screen reader does: every focusable control of the
form is named by its label, in German and in English. Runs under an X server (xvfb-run) with a
D-Bus session bus of its own; exits 77 (skipped) only when that bus or the accessibility bus
cannot start."""
import os, subprocess, sys, tempfile, time

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
    sys.exit(77)


def focusable(pyatspi, node, found):
    """The focusable controls on the screen below node, as (role, name)."""
    states = node.getState()
    if states.contains(pyatspi.STATE_SHOWING):
        if states.contains(pyatspi.STATE_FOCUSABLE):
            found.append((node.getRoleName(), node.name or ""))
        for child in filter(None, node):
            focusable(pyatspi, child, found)
    return found


def read_form(pyatspi, program, language, workdir):
    with open(os.path.join(workdir, "settings.ini"), "w") as ini:
        ini.write(f"[settings]\nlanguage={language}\nlog=0\n")
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
               QT_QPA_PLATFORM="xcb")
    proc = subprocess.Popen([program], cwd=workdir, env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        found, deadline = [], time.monotonic() + 20
        while time.monotonic() < deadline and proc.poll() is None:
            found = [c for app in filter(None, pyatspi.Registry.getDesktop(0))
                     if app.get_process_id() == proc.pid for c in focusable(pyatspi, app, [])]
            if sorted(name for _, name in found) == sorted(NAMES[language]):
                break
            time.sleep(0.3)
        return found
    finally:
        proc.terminate()
        proc.wait(timeout=10)


def main():
    read_end, write_end = os.pipe()
    try:  # a session bus of our own, whose address it writes to the pipe
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork",
                                f"--print-address={write_end}"], pass_fds=[write_end],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    except OSError as error:
        skip(f"the D-Bus session bus cannot start ({error})")
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = pipe.readline().strip()
    failures = []
    try:
        if not os.environ["DBUS_SESSION_BUS_ADDRESS"]:
            skip("the D-Bus session bus cannot start (no address)")
        import pyatspi  # Debian's python3-pyatspi: missing, the test fails
        try:
            pyatspi.Registry.getDesktop(0).childCount
        except Exception as error:
            skip(f"the accessibility bus cannot start ({error})")
        with tempfile.TemporaryDirectory() as workdir:
            for language, names in NAMES.items():
                found = read_form(pyatspi, os.path.abspath(sys.argv[1]), language, workdir)
                print(f"language {language}: " + ", ".join(f"{r} '{n}'" for r, n in found))
                if not found or any(not n.strip() for _, n in found):
                    failures.append(f"language {language}: a focusable control without a name")
                if sorted(n for _, n in found) != sorted(names):
                    failures.append(f"language {language}: names other than {sorted(names)}")
    finally:
        bus.terminate()
        bus.wait(timeout=10)
    print("\n".join(f"FAIL: {f}" for f in failures) or "ok: every control named in both languages")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
