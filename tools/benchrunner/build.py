"""Builds the shipped programs before they run."""

import os
import subprocess
import sys
from pathlib import Path

from .children import stop_group


class BuildError(RuntimeError):
    """The build failed; the programs would be missing or stale."""


def build_command(root, build_dir, targets):
    """The commands that build `targets` into build_dir/bin.

    scripts/build.sh always builds into <root>/build, so it is used for that
    folder only; any other folder is configured once (if it has never been)
    and built with cmake directly, keeping whatever options it was set up with.
    """
    root = Path(root).resolve()
    build_dir = Path(build_dir).resolve()
    jobs = str(os.cpu_count() or 1)
    if build_dir == root / "build":
        return [[str(root / "scripts" / "build.sh"), "--target", *targets]]
    commands = []
    if not (build_dir / "CMakeCache.txt").is_file():
        commands.append(["cmake", "-S", str(root), "-B", str(build_dir), "-DCMAKE_BUILD_TYPE=Release"])
    commands.append(["cmake", "--build", str(build_dir), "--parallel", jobs, "--target", *targets])
    return commands


def build(root, build_dir, targets, log=sys.stderr):
    """Runs the build; its output goes to `log` (stderr: stdout is for results)."""
    if not targets:
        return
    for command in build_command(root, build_dir, targets):
        print(f"[runner] building: {' '.join(command)}", file=log, flush=True)
        try:
            # Its own group, so that an interrupted build takes make and the compilers with it.
            process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                       start_new_session=True)
        except OSError as error:
            raise BuildError(f"could not run {command[0]}: {error}") from error
        try:
            returncode = process.wait()
        finally:
            stop_group(process, grace=10.0)
        if returncode != 0:
            raise BuildError(f"build failed (exit code {returncode}): {' '.join(command)}")
