#!/usr/bin/env python3
"""atspi_names.py BIN_DIR: starts the real program on the demo data under a
private X server, a private session bus and the AT-SPI registry, and reads
every page's controls back through the accessibility bus as a screen reader
does. Fails when a control has no name; skips (exit 77) only when the X
server, the bus or the registry cannot start."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
REGISTRY = "/usr/libexec/at-spi2-registryd"
# Pages reached by pressing buttons by their names: a home page button and a
# toolbar mode button (toggled, as screen readers do) choose the kind of
# recordings and open its first page, the toolbar's lead on; then the dialogs
# of the patient manager and the about box, and back.
ROUTE = ["Snap recordings", "Replay", "Records", "Analysis", "Home", "Continuous",
         "Records", "Real-time", "Home", "Patients", "Add...", "Cancel", "Close", "About", "OK"]
# A press that opens a modal dialog is answered only when the dialog closes;
# the press is made, the reply not awaited that long.
PRESS_TIMEOUT_MS = 2000
# What a trace view on the page must say about itself.
TRACE_SAYS = {"Replay": "ECG, 30 s, heart rate", "Analysis": "ECG, no recording",
              "Real-time": "ECG, 9 s"}


def skip(reason):
    print("SKIP: " + reason)
    sys.exit(SKIP)


def wait_for(what, deadline_s, step_s=0.1):
    end = time.monotonic() + deadline_s
    while time.monotonic() < end:
        value = what()
        if value:
            return value
        time.sleep(step_s)
    return what()


class Session:
    """The X server, the bus, the bus launcher and the program; ended in
    reverse order."""

    def __init__(self):
        self.tmp = tempfile.mkdtemp(prefix="atspi-names-")
        self.procs = []
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("DBUS_", "AT_SPI", "XDG_", "DISPLAY", "WAYLAND"))}
        for sub in ("home", "run", "config", "data"):
            os.makedirs(os.path.join(self.tmp, sub), mode=0o700)
        self.env.update({
            "HOME": os.path.join(self.tmp, "home"),
            "XDG_RUNTIME_DIR": os.path.join(self.tmp, "run"),
            "XDG_CONFIG_HOME": os.path.join(self.tmp, "config"),
            "VANTORA_SETTINGS": os.path.join(self.tmp, "settings.ini"),
            "VANTORA_MESSAGES": "stderr",
            "QT_QPA_PLATFORM": "xcb",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "NO_AT_BRIDGE": "0",
        })

    def start(self, args, **kw):
        p = subprocess.Popen(args, env=self.env, **kw)
        self.procs.append(p)
        return p

    def start_x(self):
        if not shutil.which("Xvfb"):
            skip("Xvfb is not installed")
        # -noreset: the bus launcher's short visit must not reset the server
        # just as the program connects.
        read, write = os.pipe()
        self.start(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                    "-nolisten", "tcp", "-noreset"], pass_fds=(write,))
        os.close(write)
        with os.fdopen(read) as f:
            display = f.readline().strip()
        if not display:
            skip("the X server did not start")
        self.env["DISPLAY"] = ":" + display

    def start_bus(self):
        if not shutil.which("dbus-daemon"):
            skip("dbus-daemon is not installed")
        for tool in (LAUNCHER, REGISTRY):
            if not os.access(tool, os.X_OK):
                skip(tool + " is missing (package at-spi2-core)")
        bus = self.start(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        address = bus.stdout.readline().strip()
        if not address:
            skip("the private session bus did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        self.start([LAUNCHER, "--launch-immediately"], stderr=subprocess.DEVNULL)
        asked = ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                 "/org/a11y/bus", "org.a11y.Bus.GetAddress"]

        def a11y_bus():
            r = subprocess.run(asked, env=self.env, capture_output=True, text=True)
            return r.returncode == 0 and "unix:" in r.stdout

        if not wait_for(a11y_bus, 20):
            skip("the accessibility bus launcher did not come up")
        os.environ.clear()
        os.environ.update(self.env)  # pyatspi connects with these

    def end(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
        shutil.rmtree(self.tmp, ignore_errors=True)


def checked_roles(pyatspi):
    names = ["PUSH_BUTTON", "TOGGLE_BUTTON", "CHECK_BOX", "RADIO_BUTTON", "COMBO_BOX", "LIST",
             "LIST_BOX", "TABLE", "TREE", "TREE_TABLE", "TEXT", "ENTRY", "PASSWORD_TEXT",
             "SPIN_BUTTON", "SLIDER", "TOOL_BAR", "PROGRESS_BAR", "IMAGE", "CANVAS"]
    return {getattr(pyatspi, "ROLE_" + n) for n in names if hasattr(pyatspi, "ROLE_" + n)}


def walk(pyatspi, node, roles, found):
    """Every showing control or view under node: (role name, name, description)."""
    try:
        if not node.getState().contains(pyatspi.STATE_SHOWING):
            return
        role = node.getRole()
        # Controls, and views: whatever describes itself must say what it is.
        if role in roles or (node.description or "").strip():
            found.append((node.getRoleName(), (node.name or "").strip(),
                          (node.description or "").strip()))
        if role in (pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_BOX, pyatspi.ROLE_TABLE,
                    pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_COMBO_BOX):
            return  # rows and popups are the content, not controls
        for i in range(node.childCount):
            child = node.getChildAtIndex(i)
            if child is not None:
                walk(pyatspi, child, roles, found)
    except Exception as e:  # an object gone while walking is read again next time
        found.append(("gone", "", str(e)))


def find_app(pyatspi, program):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.get_process_id() == program.pid:
            return app
    return None


def press(pyatspi, app, name):
    """Presses the first enabled button called name (a mode button is a check box)."""
    buttons = (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX)

    def enabled():
        return pyatspi.findDescendant(
            app, lambda n: n.getRole() in buttons and n.name == name
            and n.getState().contains(pyatspi.STATE_SENSITIVE)
            and n.getState().contains(pyatspi.STATE_SHOWING))

    # The frame enables its commands when it is idle after a change.
    found = wait_for(enabled, 10, 0.2)
    if found is None:
        return False
    pyatspi.setTimeout(PRESS_TIMEOUT_MS, -1)
    try:
        found.queryAction().doAction(0)
    except Exception as e:  # noqa: BLE001 (the error type is generated)
        if "reply" not in str(e):
            raise
    return True


def screen(pyatspi, app, roles):
    """The controls of the open dialogs, or else of the main window."""
    windows = [app.getChildAtIndex(i) for i in range(app.childCount)]
    dialogs = [w for w in windows if w is not None and w.getRole() == pyatspi.ROLE_DIALOG]
    found = []
    for window in dialogs or windows:
        walk(pyatspi, window, roles, found)
    return found


def settled(pyatspi, app, roles, before):
    """The controls shown, read once the page is whole and differs from before."""
    def read():
        found = screen(pyatspi, app, roles)
        if found == before or any(role == "gone" for role, _, _ in found):
            return None
        time.sleep(0.3)  # and the same when read again: no child still on its way
        return found if screen(pyatspi, app, roles) == found else None
    # The page is built on the command; the bus tells its new children soon after.
    return wait_for(read, 10, 0.1)


def read_route(pyatspi, app):
    """Reads the first page, then every page of ROUTE: (controls read, faults)."""
    roles = checked_roles(pyatspi)
    total, faults, shown = 0, [], None
    for step in ["(start)"] + ROUTE:
        before = shown
        if before is not None and not press(pyatspi, app, step):
            faults.append("%s: no enabled button of that name" % step)
            continue
        shown = settled(pyatspi, app, roles, before)
        if shown is None:
            faults.append("%s: the page did not change" % step)
            shown = before
            continue
        missing = ["unnamed on %s: %s %s" % (step, role, detail)
                   for role, name, detail in shown if not name]
        said = TRACE_SAYS.get(step)
        if said and not any(said in detail for _, _, detail in shown):
            missing.append("on %s no view says '%s'" % (step, said))
        print("%-22s %3d controls read, %d unnamed" % (step, len(shown), len(missing)))
        total += len(shown)
        faults += missing
    return total, faults


def main():
    if len(sys.argv) != 2:
        print("usage: atspi_names.py BIN_DIR")
        return 2
    bin_dir = sys.argv[1]
    try:
        import pyatspi  # noqa: F401 (only whether it is there)
    except ImportError:
        # The module comes with the system's Python, which may not be first on PATH.
        system = "/usr/bin/python3"
        if os.path.realpath(sys.executable) != os.path.realpath(system) and os.access(system, os.X_OK):
            os.execv(system, [system] + sys.argv)
        skip("python3-pyatspi is not installed")
    session = Session()
    try:
        session.start_x()
        session.start_bus()
        import pyatspi
        demo = subprocess.run([os.path.join(bin_dir, "vantora-cli"), "demo", "--data",
                               os.path.join(session.tmp, "data")], env=session.env,
                              capture_output=True, text=True)
        if demo.returncode != 0:
            print("demo data failed: " + demo.stderr)
            return 1
        program = session.start([os.path.join(bin_dir, "VantoraECG")],
                                cwd=os.path.join(session.tmp, "data"))
        app = wait_for(lambda: find_app(pyatspi, program), 30, 0.3)
        if app is None:
            print("FAIL: the program did not appear on the accessibility bus (X server %s: %s)"
                  % (session.env["DISPLAY"], "running" if session.procs[0].poll() is None
                     else "ended with %s" % session.procs[0].returncode))
            return 1
        total, faults = read_route(pyatspi, app)
        unnamed = sum(1 for f in faults if f.startswith("unnamed"))
        print("all pages    %3d controls read, %d unnamed, %d other faults"
              % (total, unnamed, len(faults) - unnamed))
        for fault in faults:
            print("  " + fault)
        if program.poll() is not None:
            print("FAIL: the program ended with %d" % program.returncode)
            return 1
        return 0 if total > 0 and not faults else 1
    finally:
        session.end()


if __name__ == "__main__":
    sys.exit(main())
