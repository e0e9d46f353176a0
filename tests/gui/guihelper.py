"""Drives Windows programs of a build folder under Wine on an X display (Xvfb in tests).

    app = GuiApp(build_dir, "Pellmark.exe", env={...})   # started through scripts/wine-run
    win = app.wait_window("Pellmark")                     # X window id, found by exact caption
    app.keys(win, "F5")                                   # xdotool key names: "F2", "shift+F1"
    app.screenshot("pellmark.png")                        # into the build folder
    app.wait_exit(10) / app.kill()
    wait_until(lambda: ..., 30, "what is awaited")         # polls a condition up to a deadline

Nothing here waits a fixed time: every wait polls a condition every few milliseconds until it
holds or its deadline passes, and then fails with a message saying what did not happen.

Needs DISPLAY (the test command runs ctest under xvfb-run), xdotool and ImageMagick's import.
"""
import os
import subprocess
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run")


# How often a condition is asked again while waiting for it.
POLL_SECONDS = 0.02


def xdotool(*args, check=True):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True, check=check).stdout


def wait_for(probe, accept, timeout, what):
    """Calls probe() until accept(value) holds and returns that value; raises TimeoutError naming
    `what` and the last value seen when `timeout` seconds pass first."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if accept(value):
            return value
        if time.monotonic() >= deadline:
            raise TimeoutError("%s: not within %s s (last seen: %r)" % (what, timeout, value))
        time.sleep(POLL_SECONDS)


def wait_until(condition, timeout, what):
    """Waits until condition() gives a true value and returns it (see wait_for)."""
    return wait_for(condition, bool, timeout, what)


def window_name(win):
    return subprocess.run(["xdotool", "getwindowname", str(win)], capture_output=True, text=True).stdout.strip()


def visible_windows():
    """Ids of all visible windows, sorted."""
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."], capture_output=True, text=True)
    return sorted(int(w) for w in out.stdout.split())


def windows_named(names):
    """Visible windows whose caption is one of `names`, as (id, caption), compared after reading
    each caption (xdotool's own search does not match captions outside ASCII)."""
    found = []
    for w in visible_windows():
        title = window_name(w)
        if title in names:
            found.append((w, title))
    return found


class GuiApp:
    def __init__(self, build_dir, program, args=(), env=None, cwd=None):
        self.build_dir = os.path.abspath(build_dir)
        full_env = dict(os.environ)
        full_env.update(env or {})
        self.proc = subprocess.Popen([WINE_RUN, self.build_dir, program, *args], env=full_env, cwd=cwd,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def find_windows(self, title):
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                             capture_output=True, text=True).stdout
        return [int(w) for w in out.split()]

    def running(self):
        return self.proc.poll() is None

    def wait_window(self, title, timeout=60):
        """Waits until a visible window with exactly this caption exists; returns its id."""
        def probe():
            found = self.find_windows(title)
            if not found and not self.running():
                raise RuntimeError("program ended (code %s) before window %r appeared" % (self.proc.returncode, title))
            return found
        return wait_until(probe, timeout, "a visible window %r" % title)[0]

    def wait_windows_named(self, names, timeout=30):
        """Waits for a visible window with one of these captions (any script); returns (id, caption)."""
        def probe():
            found = windows_named(names)
            if not found and not self.running():
                raise RuntimeError("program ended (code %s) before a window %r appeared" % (self.proc.returncode, names))
            return found
        return wait_until(probe, timeout, "a visible window named one of %r" % (names,))[0]

    def wait_no_window(self, title, timeout=30):
        """True once no visible window has this caption; False when one is still there at the deadline."""
        try:
            wait_until(lambda: not self.find_windows(title), timeout, "window %r gone" % title)
            return True
        except TimeoutError:
            return False

    def focus(self, win):
        """Gives the window the keyboard focus and waits until the X server reports it there."""
        xdotool("windowfocus", "--sync", str(win), check=False)
        wait_until(lambda: xdotool("getwindowfocus", check=False).strip() == str(win), 10,
                   "keyboard focus on window %s" % win)

    def keys(self, win, *names):
        """Sends key presses to the window (focused first), xdotool key syntax, in this order. The
        caller waits for what the keys do; the program reads them in the order sent."""
        self.focus(win)
        for name in names:
            xdotool("key", "--clearmodifiers", name)

    def type_text(self, win, text):
        self.focus(win)
        xdotool("type", "--delay", "30", text)

    def geometry(self, win):
        out = xdotool("getwindowgeometry", "--shell", str(win))
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return {k: int(v) for k, v in values.items() if v.lstrip("-").isdigit()}

    def screenshot(self, name):
        """Saves the whole screen as a PNG in the build folder; returns the path."""
        path = name if os.path.isabs(name) else os.path.join(self.build_dir, name)
        subprocess.run(["import", "-window", "root", path], check=True)
        return path

    def wait_exit(self, timeout=30):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def win_path(path):
    """The Windows name of a Unix path in the prefix (drive Z: is the Unix root)."""
    return "Z:" + path.replace("/", "\\")


def run_wine(build_dir, *args, env=None):
    """Runs a Windows program to its end in the build's prefix; returns the CompletedProcess."""
    full = dict(os.environ)
    full.update(env or {})
    return subprocess.run([WINE_RUN, os.path.abspath(build_dir), *args], capture_output=True, env=full)


def list_view_rows(build_dir, out_file, env=None):
    """The rows of the running Pellmark's list view, read from outside the process by lvdump:
    a list of [cell, ...], or None when they could not be read."""
    if os.path.exists(out_file):
        os.remove(out_file)
    lvdump = os.path.join(os.path.abspath(build_dir), "bin", "lvdump.exe")
    if run_wine(build_dir, lvdump, win_path(out_file), env=env).returncode != 0 or not os.path.exists(out_file):
        return None
    with open(out_file, encoding="utf-8") as f:
        return [line.split("\t") for line in f.read().split("\n") if line]
