"""The configurations the runner knows and how a program's metadata is found."""

import re
from dataclasses import dataclass
from pathlib import Path

# The eight shipped programs, in the order of the top-level CMakeLists.txt.
SHIPPED = (
    "GpuBox500", "GpuBox50", "GpuBox1000", "GpuCircle500",
    "GpuCircle50", "CpuBox50", "CpuCircle50", "CpuCircle500",
)

EXECUTORS = ("Cpu", "Gpu")
SHAPES = ("Box", "Circle")

_CONFIG_NAME = re.compile(r"(Gpu|Cpu)(Box|Circle)([1-9][0-9]*)")
# Names end up in file rows, markdown and SVG: keep them to plain characters.
_LABEL = re.compile(r"[A-Za-z0-9_.-]+")


class ConfigError(ValueError):
    """A configuration that cannot be run as asked."""


@dataclass(frozen=True)
class Configuration:
    name: str
    executor: str
    shape: str
    body_count: int
    path: Path


def parse_config_name(name):
    """(executor, shape, body_count) of a name like CpuBox3; ConfigError if it is not one."""
    match = _CONFIG_NAME.fullmatch(name)
    if not match:
        raise ConfigError(
            f"cannot read executor, shape and body count from the name {name!r}: expected "
            "<Gpu|Cpu><Box|Circle><count>, e.g. CpuBox50 (or give them with --meta NAME=EXECUTOR,SHAPE,COUNT)")
    return match.group(1), match.group(2), int(match.group(3))


def parse_meta(text):
    """(name, (executor, shape, body_count)) from 'NAME=EXECUTOR,SHAPE,COUNT'."""
    name, sep, rest = text.partition("=")
    parts = rest.split(",")
    if not sep or len(parts) != 3:
        raise ConfigError(f"--meta {text!r}: expected NAME=EXECUTOR,SHAPE,COUNT, e.g. fast=Cpu,Box,3")
    executor, shape, count = (part.strip() for part in parts)
    if executor not in EXECUTORS:
        raise ConfigError(f"--meta {text!r}: executor must be one of {', '.join(EXECUTORS)}")
    if shape not in SHAPES:
        raise ConfigError(f"--meta {text!r}: shape must be one of {', '.join(SHAPES)}")
    if not re.fullmatch(r"[1-9][0-9]*", count):
        raise ConfigError(f"--meta {text!r}: body count must be a positive integer")
    return _checked_label(name, "--meta"), (executor, shape, int(count))


def parse_program(text):
    """(name, path) from 'NAME=PATH'."""
    name, sep, path = text.partition("=")
    if not sep or not path:
        raise ConfigError(f"--program {text!r}: expected NAME=PATH, e.g. CpuBox3=build/bin/CpuBox3")
    return _checked_label(name, "--program"), Path(path)


def select_shipped(text):
    """The shipped names chosen by a comma-separated list ('all' or empty for every one)."""
    names = [part.strip() for part in text.split(",") if part.strip()]
    if not names or names == ["all"]:
        return list(SHIPPED)
    unknown = [name for name in names if name not in SHIPPED]
    if unknown:
        raise ConfigError(f"unknown configuration(s) {', '.join(unknown)}; choose from {', '.join(SHIPPED)}")
    return list(dict.fromkeys(names))  # keep the order given, drop repeats


def make_configurations(shipped_names, bin_dir, programs, metas):
    """Configurations for the shipped names (in bin_dir) and the extra programs.

    programs: [(name, path)] from --program; metas: {name: (executor, shape, count)}
    from --meta, which wins over what the name says.
    """
    unused = set(metas) - {name for name, _ in programs}
    if unused:
        raise ConfigError(f"--meta for {', '.join(sorted(unused))}, which no --program names")
    result = []
    seen = set()
    entries = [(name, Path(bin_dir) / name) for name in shipped_names] + list(programs)
    for name, path in entries:
        if name in seen:
            raise ConfigError(f"configuration {name!r} is named twice")
        seen.add(name)
        executor, shape, count = metas[name] if name in metas else parse_config_name(name)
        # Absolute, so that what runs does not depend on where the runner was started from.
        result.append(Configuration(name, executor, shape, count, Path(path).absolute()))
    return result


def _checked_label(name, option):
    if not _LABEL.fullmatch(name):
        raise ConfigError(f"{option}: name {name!r} may hold only letters, digits, '_', '.' and '-'")
    return name
