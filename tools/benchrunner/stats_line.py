"""Parsing of the statistics line a Corvane program prints every 500 frames.

The line is four labelled values written with the C++ stream's default
format (printf %g: plain or exponent notation), e.g.
    Frametime:12.5  ComputeTime:4  fps: 80  SampleSize: 500
Anything that does not follow this exactly is rejected with a message that
says what is wrong, so that a corrupted line never becomes a number.
"""

import math
import re
from dataclasses import dataclass

# The labels in order, each followed directly by its value.
_LABELS = ("Frametime:", "  ComputeTime:", "  fps: ", "  SampleSize: ")
_NAMES = ("frame time", "compute time", "fps", "sample size")

# What %g can print for a finite non-negative value: digits, an optional
# fraction, an optional exponent ("1.2e-05", "1e+06").
_NUMBER = re.compile(r"[0-9]+(?:\.[0-9]+)?(?:[eE][-+]?[0-9]+)?")
_NON_FINITE = re.compile(r"[-+]?(?:inf|nan)(?:\(.*\))?", re.IGNORECASE)
_COUNT = re.compile(r"[1-9][0-9]*")

FORMAT = "Frametime:<ms>  ComputeTime:<ms>  fps: <rate>  SampleSize: <frames>"


class StatsLineError(ValueError):
    """A line that looks like a statistics line but is not a valid one."""


@dataclass(frozen=True)
class StatsLine:
    frame_time_ms: float
    compute_time_ms: float
    fps: float
    sample_size: int


def is_stats_candidate(text):
    """True for lines meant as statistics lines, valid or not.

    Other output (start-up and error messages) is not statistics; a line that
    carries one of the labels is, and must then parse.
    """
    return "Frametime:" in text or "SampleSize:" in text


def parse_stats_line(text):
    """Returns the StatsLine in `text`; raises StatsLineError if it is malformed."""
    line = text.rstrip("\r\n")
    values = []
    position = 0
    for label, name in zip(_LABELS, _NAMES):
        if not line.startswith(label, position):
            found = line[position:position + len(label)]
            raise StatsLineError(
                f"expected {label!r} at column {position + 1}, found {found!r} "
                f"(format: {FORMAT!r}) in {line!r}")
        position += len(label)
        end = line.find(" ", position)
        end = len(line) if end < 0 else end
        token = line[position:end]
        if not token:
            raise StatsLineError(f"missing {name} value after {label.strip()!r} in {line!r}")
        values.append((name, token))
        position = end
    if position != len(line):
        raise StatsLineError(f"unexpected text after the sample size: {line[position:]!r} in {line!r}")

    numbers = [_number(name, token, line) for name, token in values[:3]]
    sample_name, sample_token = values[3]
    if not _COUNT.fullmatch(sample_token):
        raise StatsLineError(f"{sample_name} must be a positive integer, found {sample_token!r} in {line!r}")
    return StatsLine(numbers[0], numbers[1], numbers[2], int(sample_token))


def _number(name, token, line):
    if _NON_FINITE.fullmatch(token):
        raise StatsLineError(f"{name} is not a finite number: {token!r} in {line!r}")
    if token.startswith("-"):
        raise StatsLineError(f"negative {name} {token!r} in {line!r}")
    if not _NUMBER.fullmatch(token):
        raise StatsLineError(f"{name} is not a number: {token!r} in {line!r}")
    value = float(token)
    if not math.isfinite(value):  # e.g. "1e999" overflows
        raise StatsLineError(f"{name} is out of range: {token!r} in {line!r}")
    return value
