#!/usr/bin/env python3
# Reads the running velinor over AT-SPI as a screen reader does: every focusable control is named
# by its label, in German and English. Runs under xvfb-run with a D-Bus session bus of its own;
# exits 77 (skipped) only when that bus cannot start.
import os, shutil, subprocess, sys, tempfile, time

NAMES = {
    0: ["Sprache", "Serielle Schnittstelle", "Netzsuche", "SSID", "Verschlüsselung", "Kanal",
        "Access Point", "Ad Hoc", "Schlüssel", "Benutzername", "Domäne", "Passwort",
        "Zertifikat auswählen", "Auslesen", "Konfigurieren", "Beenden"],
    10000: ["Language", "Serial Port", "Netsearch", "SSID", "Encryption", "Channel",
            "Access Point", "Ad Hoc", "Key", "Username", "Domain", "Password", "License select",
            "Readout", "Configure", "Quit"],
}


def focusable(pyatspi, node, found):  # the focusable controls on the screen: (role, name)
    states = node.getState()
    if states.contains(pyatspi.STATE_SHOWING):
        if states.contains(pyatspi.STATE_FOCUSABLE):
            found.append((node.getRoleName(), node.name or ""))
        for child in filter(None, node):
            focusable(pyatspi, child, found)
    return found


def read_form(pyatspi, language, workdir):
    with open(os.path.join(workdir, "settings.ini"), "w") as ini:
        ini.write(f"[settings]\nlanguage={language}\nlog=0\n")
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    proc = subprocess.Popen([os.path.abspath(sys.argv[1])], cwd=workdir, env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    found, deadline = [], time.monotonic() + 20
    while time.monotonic() < deadline and proc.poll() is None:
        found = [c for app in filter(None, pyatspi.Registry.getDesktop(0))
                 if app.get_process_id() == proc.pid for c in focusable(pyatspi, app, [])]
        if sorted(name for _, name in found) == sorted(NAMES[language]):
            break
        time.sleep(0.3)
    proc.terminate()
    proc.wait(timeout=10)
    print(f"language {language}: " + ", ".join(f"{r} '{n}'" for r, n in found))
    return found and all(n.strip() for _, n in found) and sorted(n for _, n in found) == sorted(
        NAMES[language])


read_end, write_end = os.pipe()  # a session bus of our own writes its address to the pipe
if not shutil.which("dbus-daemon"):
    sys.exit(print("SKIPPED: the session bus cannot start (no dbus-daemon)") or 77)
bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", f"--print-address={write_end}"],
                       pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
os.close(write_end)
os.environ["DBUS_SESSION_BUS_ADDRESS"] = os.fdopen(read_end).readline().strip()
try:
    import pyatspi  # Debian's python3-pyatspi: missing, the test fails
    try:
        pyatspi.Registry.getDesktop(0).childCount
    except Exception as error:
        sys.exit(print(f"SKIPPED: the session or accessibility bus cannot start ({error})") or 77)
    with tempfile.TemporaryDirectory() as workdir:
        failed = [lang for lang in NAMES if not read_form(pyatspi, lang, workdir)]
finally:
    bus.terminate()
    bus.wait(timeout=10)
print(f"FAIL: in language {failed} a focusable control has no name or another one than "
      "expected" if failed else "ok: every focusable control is named in both languages")
sys.stdout.flush()
os._exit(1 if failed else 0)  # not through pyatspi's exit handlers, which ask the bus gone
