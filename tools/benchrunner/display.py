"""A display for the programs: the caller's, or one Xvfb server for the session.

One server serves every run of the session. Xvfb picks a free display
number itself (-displayfd), so the runner never races other Xvfb or
xvfb-run users for a number, and the programs are started directly, so a
SIGTERM reaches the program itself and its exit code is its own.
"""

import os
import selectors
import shutil
import subprocess
import tempfile
import time

from .children import end_with_parent, stop_group

SCREEN = "1024x1024x24"
START_TIMEOUT_S = 30.0
STOP_TIMEOUT_S = 10.0


class DisplayError(RuntimeError):
    """No display could be provided."""


class XvfbServer:
    """Context manager: starts Xvfb on entry, stops it on exit (also on errors)."""

    def __init__(self, executable="Xvfb"):
        self._executable = executable
        self._process = None
        self._log = None
        self.display = None

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()
        return False

    def start(self):
        path = shutil.which(self._executable)
        if path is None:
            raise DisplayError(
                "DISPLAY is not set and Xvfb was not found: install the xvfb package "
                "(scripts/install-deps.sh) or run with a display")
        self._log = tempfile.TemporaryFile()
        read_fd, write_fd = os.pipe()
        try:
            # -noreset: when one program leaves, the server must not reset
            # under the next program while it connects.
            self._process = subprocess.Popen(
                [path, "-displayfd", str(write_fd), "-screen", "0", SCREEN, "-nolisten", "tcp", "-noreset"],
                stdin=subprocess.DEVNULL, stdout=self._log, stderr=self._log,
                pass_fds=(write_fd,), start_new_session=True, preexec_fn=end_with_parent)
        except OSError as error:
            os.close(read_fd)
            os.close(write_fd)
            raise DisplayError(f"could not start Xvfb: {error}") from error
        os.close(write_fd)
        try:
            number = self._read_display_number(read_fd)
        except BaseException:
            self.stop()
            raise
        finally:
            os.close(read_fd)
        self.display = f":{number}"

    def _read_display_number(self, read_fd):
        data = b""
        deadline = time.monotonic() + START_TIMEOUT_S
        with selectors.DefaultSelector() as selector:
            selector.register(read_fd, selectors.EVENT_READ)
            while not data.endswith(b"\n"):
                left = deadline - time.monotonic()
                if left <= 0:
                    raise DisplayError(f"Xvfb did not become ready within {START_TIMEOUT_S:g} s{self._log_text()}")
                if not selector.select(left):
                    continue
                chunk = os.read(read_fd, 64)
                if not chunk:
                    self._process.wait()
                    raise DisplayError(
                        f"Xvfb exited with code {self._process.returncode} before it was ready{self._log_text()}")
                data += chunk
        text = data.decode("ascii", "replace").strip()
        if not text.isdigit():
            raise DisplayError(f"Xvfb reported an unexpected display number {text!r}")
        return int(text)

    def stop(self):
        process, self._process = self._process, None
        try:
            if process is not None:
                stop_group(process, STOP_TIMEOUT_S)
        finally:
            if self._log is not None:
                self._log.close()
                self._log = None

    def _log_text(self):
        self._log.seek(0)
        text = self._log.read().decode("utf-8", "replace").strip()
        return f"; its output:\n{text}" if text else ""


def needs_own_display(environ):
    return not environ.get("DISPLAY")


class _ExistingDisplay:
    def __init__(self, display):
        self.display = display

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        return False


def session_display(environ):
    """The caller's display if DISPLAY is set, else a fresh XvfbServer."""
    if needs_own_display(environ):
        return XvfbServer()
    return _ExistingDisplay(environ["DISPLAY"])

