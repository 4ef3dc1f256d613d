"""Helpers that keep the runner's child processes from outliving it."""

import ctypes
import os
import signal
import subprocess

_PR_SET_PDEATHSIG = 1
try:
    _prctl = ctypes.CDLL(None, use_errno=True).prctl
except (OSError, AttributeError):  # not Linux: the clean-up paths still stop every child
    _prctl = None
_RUNNER_PID = os.getpid()


def end_with_parent():
    """preexec_fn: the child gets SIGTERM if the runner dies without cleaning up
    (e.g. SIGKILL), the one case its finally blocks cannot cover."""
    if _prctl is not None:
        _prctl(_PR_SET_PDEATHSIG, signal.SIGTERM, 0, 0, 0)
    if os.getppid() != _RUNNER_PID:  # the runner died before the request took hold
        os._exit(1)


def signal_group(process, signum):
    """Signals the process group that `process` leads (started with start_new_session)."""
    # Only while the leader is unreaped is its process group id sure to be ours.
    if process.returncode is not None:
        return
    try:
        os.killpg(process.pid, signum)
    except ProcessLookupError:
        pass


def stop_group(process, grace):
    """SIGTERM to the group, SIGKILL after `grace` seconds; waits for the leader.
    A second interrupt while waiting kills at once and is passed on."""
    if process.poll() is not None:
        return
    try:
        signal_group(process, signal.SIGTERM)
        try:
            process.wait(timeout=grace)
        except subprocess.TimeoutExpired:
            signal_group(process, signal.SIGKILL)
            process.wait()
    except KeyboardInterrupt:
        signal_group(process, signal.SIGKILL)
        process.wait()
        raise
