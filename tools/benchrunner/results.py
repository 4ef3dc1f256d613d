"""The rows the runner collects and how they are written: one row per statistics line."""

import csv
import json
from dataclasses import asdict, dataclass, field
from typing import List, Optional

FIELDS = ("configuration", "executor", "shape", "body_count", "run", "line",
          "frame_time_ms", "compute_time_ms", "fps")


@dataclass(frozen=True)
class Measurement:
    """One statistics line of one run; `line` counts from 1 (line 1 includes start-up)."""
    configuration: str
    executor: str
    shape: str
    body_count: int
    run: int
    line: int
    frame_time_ms: float
    compute_time_ms: float
    fps: float


@dataclass
class RunRecord:
    """What happened in one run of one configuration.

    status: "ok" (stopped as asked, exit code 0), "failed" (see reason) or
    "skipped" (not run, see reason). Lines collected before a failure are
    real samples and stay in the measurements.
    """
    configuration: str
    run: int
    status: str
    lines: int = 0
    exit_code: Optional[int] = None
    reason: str = ""
    output_tail: List[str] = field(default_factory=list)
    messages: List[str] = field(default_factory=list)
    duration_s: float = 0.0


def measurements_for(config, run, stats_lines):
    return [Measurement(config.name, config.executor, config.shape, config.body_count, run, index,
                        stats.frame_time_ms, stats.compute_time_ms, stats.fps)
            for index, stats in enumerate(stats_lines, start=1)]


def write_csv(path, measurements):
    with open(path, "w", newline="", encoding="utf-8") as out:
        writer = csv.writer(out)
        writer.writerow(FIELDS)
        for row in measurements:
            # repr keeps every digit the program printed (%g gives at most six).
            writer.writerow([_cell(getattr(row, name)) for name in FIELDS])


def write_json(path, measurements):
    with open(path, "w", encoding="utf-8") as out:
        json.dump([asdict(row) for row in measurements], out, indent=1, allow_nan=False)
        out.write("\n")


def _cell(value):
    return repr(value) if isinstance(value, float) else value
