"""One run of one program: start it, read its statistics lines live, stop it cleanly.

The program runs in its own session (process group), so that a signal meant
for it never reaches the runner and vice versa; every exit path of run_once
leaves no process behind.
"""

import collections
import os
import selectors
import signal
import subprocess
import time
from dataclasses import dataclass
from typing import Optional

from .children import end_with_parent, signal_group, stop_group
from .progress import HEARTBEAT_S
from .results import RunRecord
from .stats_line import StatsLineError, is_stats_candidate, parse_stats_line

TAIL_LINES = 20
MAX_MESSAGES = 10
_MAX_LINE_BYTES = 64 * 1024
_EXIT_WAIT_S = 2.0


class RunInterrupted(KeyboardInterrupt):
    """Ctrl-C or a signal to the runner during a run, carrying what the run had
    collected (record, stats) once its program was stopped."""

    def __init__(self, record, stats):
        super().__init__("interrupted")
        self.record = record
        self.stats = stats


INTERRUPTED = "interrupted: the runner was stopped during this run"


@dataclass(frozen=True)
class RunLimits:
    """When a run ends: after `lines` statistics lines or `seconds` (whichever
    comes first); it fails if a line takes longer than the timeouts."""
    lines: Optional[int]
    seconds: Optional[float]
    first_line_timeout: float
    line_timeout: float
    stop_timeout: float


class OutputReader:
    """Splits a pipe into text lines without ever blocking longer than asked."""

    def __init__(self, stream):
        self._fd = stream.fileno()
        os.set_blocking(self._fd, False)
        self._selector = selectors.DefaultSelector()
        self._selector.register(self._fd, selectors.EVENT_READ)
        self._buffer = b""
        self.eof = False

    def read(self, timeout):
        """The complete lines that arrive within `timeout` seconds (maybe none)."""
        if self.eof:
            return []
        if not self._selector.select(max(0.0, timeout)):
            return []
        try:
            chunk = os.read(self._fd, 65536)
        except BlockingIOError:
            return []
        if not chunk:
            self.eof = True
            rest, self._buffer = self._buffer, b""
            return [_decode(rest)] if rest else []
        self._buffer += chunk
        *lines, self._buffer = self._buffer.split(b"\n")
        if len(self._buffer) > _MAX_LINE_BYTES:  # a runaway line without an end
            lines.append(self._buffer)
            self._buffer = b""
        return [_decode(line) for line in lines]

    def close(self):
        self._selector.close()


def _decode(data):
    return data.decode("utf-8", "replace").rstrip("\r")


def describe_exit(returncode):
    if returncode is None:
        return "no exit status"
    if returncode < 0:
        try:
            name = signal.Signals(-returncode).name
        except ValueError:
            name = f"signal {-returncode}"
        return f"signal {name}"
    return f"exit code {returncode}"


class _Run:
    """State of one run while it is collecting."""

    def __init__(self, config, run, runs, limits, progress, clock):
        self.config = config
        self.run = run
        self.where = f"{config.name} run {run}/{runs}"
        self.limits = limits
        self.progress = progress
        self.clock = clock
        self.tail = collections.deque(maxlen=TAIL_LINES)
        self.messages = []
        self.stats = []
        self.line_times = []
        self.failure = None
        self.start = clock()

    def take(self, text, collecting):
        """Handles one output line; returns False once the run has what it needs."""
        self.tail.append(text)
        if not is_stats_candidate(text):
            if text.strip() and text not in self.messages and len(self.messages) < MAX_MESSAGES:
                self.messages.append(text)
            return True
        if not collecting:
            return True  # printed while stopping: not part of the requested sample
        try:
            stats = parse_stats_line(text)
        except StatsLineError as error:
            self.failure = f"malformed statistics line {len(self.stats) + 1}: {error}"
            return False
        self.stats.append(stats)
        elapsed = self.clock() - self.start
        self.line_times.append(elapsed)
        self.progress.line(self.where, self.limits, self.line_times, elapsed, stats)
        return self.limits.lines is None or len(self.stats) < self.limits.lines

    def line_deadline(self):
        if self.line_times:
            return self.start + self.line_times[-1] + self.limits.line_timeout
        return self.start + self.limits.first_line_timeout

    def no_line_failure(self):
        if self.line_times:
            return (f"no statistics line for {self.limits.line_timeout:g} s after line "
                    f"{len(self.line_times)} (--line-timeout)")
        return f"no statistics line within {self.limits.first_line_timeout:g} s of start (--first-line-timeout)"


def run_once(config, run, runs, limits, env, progress, clock=time.monotonic):
    """Runs `config` once; returns (RunRecord, [StatsLine])."""
    state = _Run(config, run, runs, limits, progress, clock)
    path = config.path
    if not path.is_file() or not os.access(path, os.X_OK):
        return _record(state, None, f"executable not found: {path}"), []
    try:
        process = subprocess.Popen(
            [str(path)], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
            env=env, start_new_session=True, preexec_fn=end_with_parent)
    except OSError as error:
        return _record(state, None, f"could not start {path}: {error.strerror or error}"), []
    progress.run_started(state.where, process.pid)
    reader = OutputReader(process.stdout)
    try:
        _collect(state, reader)
        if reader.eof:  # the program is ending: let it, so its own exit status is what we see
            try:
                process.wait(timeout=_EXIT_WAIT_S)
            except subprocess.TimeoutExpired:
                if state.failure is None:
                    state.failure = "closed its output but kept running"
        if process.poll() is None:
            _stop(state, process, reader)
        else:
            _drain(state, reader, clock() + _EXIT_WAIT_S)
            if state.failure is None:
                state.failure = (f"exited on its own with {describe_exit(process.returncode)} after "
                                 f"{len(state.stats)} statistics line(s)")
        if state.failure is None and not state.stats:  # only --seconds can end a run this way
            state.failure = f"no statistics line within the {limits.seconds:g} s run (--seconds)"
        return _record(state, process.returncode, state.failure), state.stats
    except KeyboardInterrupt:
        _make_sure_stopped(process, limits.stop_timeout)
        raise RunInterrupted(_record(state, process.returncode, INTERRUPTED), state.stats) from None
    finally:
        _make_sure_stopped(process, limits.stop_timeout)
        reader.close()
        process.stdout.close()


def _collect(state, reader):
    """Reads lines until the run has what it needs, fails, or the program's output ends."""
    limits, clock = state.limits, state.clock
    next_heartbeat = state.start + HEARTBEAT_S
    while True:
        now = clock()
        if limits.seconds is not None and now - state.start >= limits.seconds:
            return
        if now >= state.line_deadline():
            state.failure = state.no_line_failure()
            return
        if reader.eof:
            return
        if now >= next_heartbeat:
            state.progress.waiting(state.where, limits, state.line_times, now - state.start,
                                   state.line_deadline() - now)
            next_heartbeat = now + HEARTBEAT_S
        deadlines = [state.line_deadline(), next_heartbeat]
        if limits.seconds is not None:
            deadlines.append(state.start + limits.seconds)
        for text in reader.read(min(deadlines) - now):
            if not state.take(text, collecting=True):
                return


def _drain(state, reader, deadline):
    while not reader.eof:
        left = deadline - state.clock()
        if left <= 0:
            return
        for text in reader.read(left):
            state.take(text, collecting=False)


def _stop(state, process, reader):
    """SIGTERM, then wait for a clean exit (code 0); SIGKILL if it does not come."""
    signal_group(process, signal.SIGTERM)
    deadline = state.clock() + state.limits.stop_timeout
    _drain(state, reader, deadline)
    try:
        process.wait(timeout=max(0.0, deadline - state.clock()))
    except subprocess.TimeoutExpired:
        signal_group(process, signal.SIGKILL)
        process.wait()
        if state.failure is None:
            state.failure = f"did not exit within {state.limits.stop_timeout:g} s of SIGTERM; killed"
        return
    if process.returncode != 0 and state.failure is None:
        state.failure = f"exited with {describe_exit(process.returncode)} after SIGTERM (a clean stop exits with 0)"


def _make_sure_stopped(process, grace):
    """Last line of defence (errors, Ctrl-C): the program and its group must be gone."""
    stop_group(process, grace)


def _record(state, exit_code, failure):
    return RunRecord(
        configuration=state.config.name, run=state.run, status="failed" if failure else "ok",
        lines=len(state.stats), exit_code=exit_code, reason=failure or "",
        output_tail=list(state.tail), messages=list(state.messages),
        duration_s=round(state.clock() - state.start, 3))
