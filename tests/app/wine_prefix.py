"""A private Wine prefix for running the Windows build of morvane on this machine.

The prefix lives in a temporary folder of its own, so no run sees another's. Every Wine call
runs under a timeout, and closing ends the prefix's wineserver (and with it anything still
running in it) before the folder goes. Standard library only.
"""

import os
import shutil
import subprocess
import tempfile

TOOLS = ("wine", "wineboot", "wineserver")
# The first start of a fresh prefix builds a whole Windows folder tree and registry.
BOOT_TIMEOUT = 300
CALL_TIMEOUT = 60


def missing_tools():
    return [tool for tool in TOOLS if shutil.which(tool) is None]


class WinePrefix:
    """A booted Wine prefix; `env` runs Wine in it, on the display of the `env` given."""

    def __init__(self, env=None):
        self.folder = tempfile.mkdtemp(prefix="morvane-wine-")
        self.env = dict(env if env is not None else os.environ, WINEPREFIX=self.folder,
                        WINEDEBUG="-all",
                        # Wine would otherwise offer to install Mono and Gecko, and wait for
                        # a person to answer.
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        try:
            self.call("wineboot", "--init", timeout=BOOT_TIMEOUT)
            # wineboot returns while the prefix's services are still settling.
            self.call("wineserver", "-w", timeout=BOOT_TIMEOUT)
        except BaseException:
            self.close()
            raise

    def call(self, *args, timeout=CALL_TIMEOUT):
        """Runs a Wine tool or program to its end and returns what it printed."""
        done = subprocess.run(list(args), env=self.env, capture_output=True, text=True,
                              timeout=timeout)
        if done.returncode != 0:
            raise RuntimeError(f"{' '.join(args)} ended with status {done.returncode}: "
                               f"{done.stderr.strip()[-500:]}")
        return done.stdout

    def command(self, exe, *args):
        """The command line that starts a Windows program in this prefix. Wine runs it in
        the very process it starts, so that process's id, CPU time and exit status are the
        program's."""
        return ["wine", exe, *args]

    def server_pid(self):
        """The process id of this prefix's wineserver, or None when none is running."""
        wanted = f"WINEPREFIX={self.folder}".encode()
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open(f"/proc/{entry}/comm") as comm:
                    if not comm.read().startswith("wineserver"):
                        continue
                with open(f"/proc/{entry}/environ", "rb") as environ:
                    if wanted in environ.read().split(b"\0"):
                        return int(entry)
            except OSError:
                continue
        return None

    def close(self):
        try:
            subprocess.run(["wineserver", "-k"], env=self.env, timeout=CALL_TIMEOUT,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            pass
        shutil.rmtree(self.folder, ignore_errors=True)
