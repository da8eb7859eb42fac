"""A private X display for driving the real morvane window as a person would.

Starts Xvfb on a free display, finds the program's window, takes screenshots and reads
their pixels, and sends mouse input through xdotool. Standard library only.
"""

import os
import shutil
import subprocess
import time

TOOLS = ("Xvfb", "xdotool", "xwininfo", "xwd", "convert")


def missing_tools():
    return [tool for tool in TOOLS if shutil.which(tool) is None]


class Display:
    """An Xvfb server of its own, on the first display number 97..120 that is free."""

    def __init__(self, width=800, height=640):
        self.proc = None
        for number in range(97, 121):
            if os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(
                f"/tmp/.X11-unix/X{number}"
            ):
                continue
            # -noreset: by default Xvfb resets when its last client leaves (such as the probe
            # that found it ready), and a program connecting during the reset is turned away.
            proc = subprocess.Popen(
                ["Xvfb", f":{number}", "-noreset", "-nolisten", "tcp", "-screen", "0",
                 f"{width}x{height}x24"],
                stdout=subprocess.DEVNULL,
                stderr=subprocess.DEVNULL,
            )
            self.name = f":{number}"
            if self._ready(proc):
                self.proc = proc
                break
            proc.kill()
            proc.wait()
        if self.proc is None:
            raise RuntimeError("no free X display in :97..:120")
        self.env = dict(os.environ, DISPLAY=self.name)

    def _ready(self, proc, timeout=10.0):
        """Whether the server on our number answers and is ours: another run may have
        started one there at the same moment, and then ours gives up."""
        deadline = time.monotonic() + timeout
        number = self.name[1:]
        while time.monotonic() < deadline:
            if proc.poll() is not None:
                return False
            try:
                with open(f"/tmp/.X{number}-lock") as lock:
                    owner = int(lock.read().strip() or 0)
            except (OSError, ValueError):
                owner = None
            if owner is not None and owner != proc.pid:
                return False
            if owner == proc.pid:
                probe = subprocess.run(
                    ["xwininfo", "-root"], env=dict(os.environ, DISPLAY=self.name),
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                )
                if probe.returncode == 0:
                    return proc.poll() is None
            time.sleep(0.05)
        return False

    def close(self):
        if self.proc is not None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
            self.proc = None

    def run(self, *args, check=True):
        done = subprocess.run(list(args), env=self.env, capture_output=True, text=True)
        if check and done.returncode != 0:
            raise RuntimeError(f"{' '.join(args)} failed: {done.stderr.strip()}")
        return done.stdout

    def xdotool(self, *args):
        return self.run("xdotool", *[str(a) for a in args])

    def find_window(self, name, proc, timeout=10.0):
        """The id of the one viewable window whose name is exactly `name`."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if proc.poll() is not None:
                raise RuntimeError(f"the program ended with status {proc.returncode}")
            found = self.run("xdotool", "search", "--onlyvisible", "--name", f"^{name}$",
                             check=False).split()
            if found:
                if len(found) != 1:
                    raise RuntimeError(f"{len(found)} windows named {name}")
                return found[0]
            time.sleep(0.01)
        raise RuntimeError(f"no window named {name} within {timeout} s")

    def geometry(self, window):
        """Position and size of a window's client area, and whether it is viewable."""
        info = {}
        for line in self.run("xwininfo", "-id", window).splitlines():
            key, _, value = line.strip().partition(":")
            info[key] = value.strip()
        return {
            "x": int(info["Absolute upper-left X"]),
            "y": int(info["Absolute upper-left Y"]),
            "width": int(info["Width"]),
            "height": int(info["Height"]),
            "viewable": info["Map State"] == "IsViewable",
        }

    def screenshot(self):
        """The whole screen, and a monotonic time just after its pixels were taken."""
        xwd = subprocess.run(["xwd", "-root", "-silent"], env=self.env, capture_output=True,
                             check=True)
        taken = time.monotonic()
        ppm = subprocess.run(["convert", "xwd:-", "-depth", "8", "ppm:-"], input=xwd.stdout,
                             capture_output=True, check=True)
        return Image(ppm.stdout), taken


class Image:
    """A binary PPM (P6, 8 bits a channel) read into memory."""

    def __init__(self, data):
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos)
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        if fields[0] != b"P6" or int(fields[3]) != 255:
            raise ValueError("not an 8-bit P6 image")
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[pos + 1:pos + 1 + 3 * self.width * self.height]
        if len(self.pixels) != 3 * self.width * self.height:
            raise ValueError("short image")

    def at(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.pixels[i:i + 3])


def cpu_seconds(pid):
    """User plus system CPU time a process has used so far."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rpartition(")")[2].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def status_kb(pid, key):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith(key + ":"):
                return int(line.split()[1])
    raise KeyError(key)
