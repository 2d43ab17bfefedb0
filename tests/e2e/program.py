# SPDX-License-Identifier: MIT
"""The real program in a temporary program directory on the simulated dial-up
network, started without a display (or on one the caller names), optionally
on a faster clock, and driven with tarifuhr-sim."""

import os
import shutil
import signal
import subprocess
import tempfile
import time

FAKETIME_LIBRARY = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"


def free_display(first=90):
    """An X display number nobody uses; tests that may run side by side
    start from different numbers."""
    for n in range(first, first + 100):
        if not os.path.exists(f"/tmp/.X{n}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{n}"):
            return n
    raise RuntimeError("no free X display")


def start_xvfb(display, screen="1024x768x24"):
    """An X server of its own on `display`, once its socket is there."""
    xvfb = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", screen, "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(100):
        if os.path.exists(f"/tmp/.X11-unix/X{display}"):
            break
        time.sleep(0.05)
    return xvfb


def stop_processes(procs):
    """Ends helper processes, the last started first."""
    for proc in reversed(procs):
        if proc.poll() is None:
            proc.terminate()
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                proc.kill()


# A session bus of its own that starts nothing on demand: only the services a
# test starts answer on it.
SESSION_BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir={dir}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


def start_session_bus(folder):
    """A private session bus with its socket in `folder`: the process and
    its address."""
    config = os.path.join(folder, "bus.conf")
    with open(config, "w") as f:
        f.write(SESSION_BUS_CONFIG.format(dir=folder))
    bus = subprocess.Popen(["dbus-daemon", f"--config-file={config}", "--nofork", "--print-address=1"],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    return bus, bus.stdout.readline().strip()


def wait_for(check, what, seconds=10):
    """The first true result of `check`, asked every 50 ms."""
    for _ in range(int(seconds * 20)):
        result = check()
        if result:
            return result
        time.sleep(0.05)
    raise RuntimeError(f"{what} did not come up")


class Program:
    def __init__(self, program, sim, user_title=None, user_data=None, home=None):
        self.program, self.sim = program, sim
        self.home = home or tempfile.mkdtemp(prefix="tarifuhr-test-")
        self.output = ""
        self.config = os.path.join(self.home, "config")
        self.dir = os.path.join(self.home, "program")
        os.makedirs(os.path.join(self.config, "tarifuhr"))
        os.makedirs(self.dir)
        self.env = dict(os.environ, TARIFUHR_HOME=self.dir, XDG_CONFIG_HOME=self.config, TARIFUHR_BACKEND="sim",
                        LC_ALL="C", HOME=self.home, QT_QPA_PLATFORM="offscreen")
        self.proc = None
        if user_title is not None:
            self.write_user(user_title, user_data)

    def path(self, name):
        return os.path.join(self.dir, name)

    def write_user(self, title, data):
        """A user of the old program: its data file, its user list entry and
        the registry naming it the current user."""
        section = f"{title} ({title}.tfd)"
        with open(self.path(f"{title}.tfd"), "wb") as f:
            f.write(data)
        with open(self.path("userlist.ini"), "wb") as f:
            f.write(f"[{section}]\r\nfile={self.path(title + '.tfd')}\r\n".encode("cp1252"))
        with open(os.path.join(self.config, "tarifuhr", "registry.reg"), "wb") as f:
            f.write(b"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Tarifuhr]\r\n"
                    b"\"first\"=dword:00000001\r\n\"currentuser\"=\"" + section.encode("cp1252") + b"\"\r\n"
                    b"\"left\"=dword:00000000\r\n\"top\"=dword:00000000\r\n\r\n")

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def sim_tool(self, *args):
        return subprocess.run([self.sim, *args], env=self.env, check=True, capture_output=True, text=True).stdout

    def start(self, faketime=None, display=None, wait=2, env=None):
        """faketime: a FAKETIME value for libfaketime, preloaded into the
        program itself (the faketime wrapper would keep signals from it);
        env: further variables for the program alone."""
        env = dict(self.env, **(env or {}))
        if faketime:
            env.update(LD_PRELOAD=FAKETIME_LIBRARY, FAKETIME=faketime)
        if display:
            env["DISPLAY"] = display
            env.pop("QT_QPA_PLATFORM", None)
        self.proc = subprocess.Popen([self.program], env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                     text=True)
        time.sleep(wait)
        if self.proc.poll() is not None:
            raise RuntimeError("the program ended at start:\n" + self.proc.stdout.read())

    def stop(self, timeout=30):
        """SIGTERM, as a shutdown sends it; the program's exit code. What it
        wrote is in self.output."""
        self.proc.send_signal(signal.SIGTERM)
        self.output, _ = self.proc.communicate(timeout=timeout)
        return self.proc.returncode

    def kill(self):
        """SIGKILL, as a crash or a power loss ends it."""
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.output, _ = self.proc.communicate()

    def remove(self):
        self.kill()
        shutil.rmtree(self.home, ignore_errors=True)


def faketime_available():
    return os.path.exists(FAKETIME_LIBRARY)


def needs_faketime(case):
    """A case that runs the program on a moved clock: skipped (77) where
    libfaketime is missing."""
    def run(p):
        if not faketime_available():
            print("SKIPPED: libfaketime is not installed (Debian package libfaketime)")
            return 77
        return case(p)
    return run


def run_case(cases, args, prepare=None):
    """Runs the case `args.case` on a program of its own, in a directory
    that is removed afterwards; its exit code."""
    p = Program(args.program, args.sim)
    if prepare:
        prepare(p)
    try:
        rc = cases[args.case](p)
        if rc == 0:
            print(f"{args.case}: passed")
        return rc
    finally:
        p.remove()
