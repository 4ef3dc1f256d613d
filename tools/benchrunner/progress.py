"""What the runner reports on stderr while it works."""

import sys
import time

HEARTBEAT_S = 30.0


def _duration(seconds):
    seconds = max(0, int(round(seconds)))
    if seconds < 60:
        return f"{seconds} s"
    return f"{seconds // 60} min {seconds % 60:02d} s"


def estimate_left(limits, line_times, elapsed):
    """Seconds left in a run, or None when there is nothing to go on yet.

    line_times: seconds after start at which each statistics line arrived.
    The first line includes start-up, so later lines are paced by the gaps
    between lines once there are two.
    """
    by_seconds = None if limits.seconds is None else max(0.0, limits.seconds - elapsed)
    by_lines = None
    if limits.lines is not None and line_times:
        remaining = limits.lines - len(line_times)
        if len(line_times) >= 2:
            gap = (line_times[-1] - line_times[0]) / (len(line_times) - 1)
        else:
            gap = line_times[0]
        by_lines = max(0.0, remaining * gap - (elapsed - line_times[-1]))
    known = [value for value in (by_seconds, by_lines) if value is not None]
    return min(known) if known else None


class Progress:
    def __init__(self, stream=sys.stderr, clock=time.monotonic):
        self._stream = stream
        self._clock = clock
        self._session_start = clock()

    def say(self, text):
        print(f"[runner] {text}", file=self._stream, flush=True)

    def run_started(self, where, pid):
        self.say(f"{where}: started (pid {pid})")

    def line(self, where, limits, line_times, elapsed, stats):
        target = f"/{limits.lines}" if limits.lines is not None else ""
        left = estimate_left(limits, line_times, elapsed)
        left_text = "" if left is None else f", ~{_duration(left)} left"
        self.say(f"{where}: line {len(line_times)}{target} after {_duration(elapsed)} "
                 f"(frame {stats.frame_time_ms:g} ms, collision pass {stats.compute_time_ms:g} ms, "
                 f"{stats.fps:g} fps){left_text}")

    def waiting(self, where, limits, line_times, elapsed, gives_up_in):
        target = f" of {limits.lines}" if limits.lines is not None else ""
        left = estimate_left(limits, line_times, elapsed)
        left_text = "" if left is None else f", ~{_duration(left)} left"
        self.say(f"{where}: {len(line_times)}{target} lines after {_duration(elapsed)}, "
                 f"waiting for the next (gives up in {_duration(gives_up_in)}){left_text}")

    def run_finished(self, record):
        if record.status == "ok":
            self.say(f"{record.configuration} run {record.run}: done, {record.lines} lines, "
                     f"exit code {record.exit_code}")
            return
        self.say(f"FAILED {record.configuration} run {record.run}: {record.reason}")
        if record.output_tail:
            self.say(f"  last {len(record.output_tail)} lines of its output:")
            for text in record.output_tail:
                print(f"    | {text}", file=self._stream)
        else:
            self.say("  it printed nothing")
        self._stream.flush()

    def session_time(self):
        return _duration(self._clock() - self._session_start)
