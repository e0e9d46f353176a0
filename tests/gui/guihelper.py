"""Drives Windows programs of a build folder under Wine on an X display (Xvfb in tests).

    app = GuiApp(build_dir, "Pellmark.exe", env={...})   # started through scripts/wine-run
    win = app.wait_window("Pellmark")                     # X window id, found by exact caption
    app.keys(win, "F5")                                   # xdotool key names: "F2", "shift+F1"
    app.screenshot("pellmark.png")                        # into the build folder
    app.wait_exit(10) / app.kill()

Needs DISPLAY (the test command runs ctest under xvfb-run), xdotool and ImageMagick's import.
"""
import os
import subprocess
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run")


def xdotool(*args, check=True):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True, check=check).stdout


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

    def wait_window(self, title, timeout=60):
        """Waits until a visible window with exactly this caption exists; returns its id."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = self.find_windows(title)
            if found:
                return found[0]
            if self.proc.poll() is not None:
                raise RuntimeError("program ended (code %s) before window %r appeared" % (self.proc.returncode, title))
            time.sleep(0.3)
        raise TimeoutError("no window %r within %s s" % (title, timeout))

    def wait_no_window(self, title, timeout=30):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if not self.find_windows(title):
                return True
            time.sleep(0.3)
        return False

    def focus(self, win):
        xdotool("windowfocus", "--sync", str(win), check=False)
        time.sleep(0.2)

    def keys(self, win, *names):
        """Sends key presses to the window (focused first), xdotool key syntax."""
        self.focus(win)
        for name in names:
            xdotool("key", "--clearmodifiers", name)
            time.sleep(0.3)

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
