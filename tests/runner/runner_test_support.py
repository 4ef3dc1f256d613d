"""Shared bits of the runner tests: where the runner lives and how to start it."""

import os
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
RUNNER = ROOT / "tools" / "corvane_runner.py"
sys.path.insert(0, str(ROOT / "tools"))


def run_runner(args, env=None, timeout=120):
    """Runs the runner's command line; returns the CompletedProcess (text)."""
    return subprocess.run([sys.executable, "-B", str(RUNNER), *args], env=env, capture_output=True,
                          text=True, timeout=timeout, check=False)


def environment(**changes):
    """os.environ with changes; a value of None removes the variable."""
    env = dict(os.environ)
    for key, value in changes.items():
        if value is None:
            env.pop(key, None)
        else:
            env[key] = value
    return env


def processes_running(path):
    """Pids of live processes whose executable is `path` (zombies have none)."""
    target = os.path.realpath(path)
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            if os.readlink(f"/proc/{entry}/exe") == target:
                found.append(int(entry))
        except OSError:
            continue
    return found
