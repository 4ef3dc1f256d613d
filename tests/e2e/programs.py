"""Starting a Corvane program, reading its console live and stopping it."""

import os
import re
import selectors
import shutil
import signal
import subprocess
import tempfile
import time

# Frametime:<g>  ComputeTime:<g>  fps: <g>  SampleSize: 500, each value in
# the stream's default float format (printf %g, six significant digits).
_NUMBER = r"-?(?:\d+(?:\.\d*)?|\.\d+)(?:e[+-]\d\d+)?|inf|nan"
STATISTICS_LINE = re.compile(
    rf"^Frametime:(?P<frame>{_NUMBER})  ComputeTime:(?P<compute>{_NUMBER})  fps: (?P<fps>{_NUMBER})  SampleSize: 500$"
)


class Run:
    """A running program whose standard output is read line by line."""

    def __init__(self, program, close_stdin=False, cwd=None, env=None):
        self.lines = []
        self._buffer = b""
        self.process = subprocess.Popen(
            [program],
            stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE,
            stderr=subprocess.STDOUT,
            cwd=cwd,
            env=env,
            preexec_fn=(lambda: os.close(0)) if close_stdin else None,
        )
        self._selector = selectors.DefaultSelector()
        self._selector.register(self.process.stdout, selectors.EVENT_READ)

    def read_until(self, predicate, timeout):
        """Reads lines until predicate(lines) holds, the program ends or time runs out."""
        deadline = time.monotonic() + timeout
        while not predicate(self.lines):
            remaining = deadline - time.monotonic()
            if remaining <= 0 or not self._read_some(remaining):
                return False
        return True

    def statistics(self):
        return [line for line in self.lines if STATISTICS_LINE.match(line)]

    def stop(self, timeout=30):
        """SIGTERM, then the rest of the output; returns the exit code."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise
        while self._read_some(1):
            pass
        self._selector.close()
        self.process.stdout.close()
        return self.process.returncode

    def output(self):
        return "\n".join(self.lines)

    def _read_some(self, timeout):
        if not self._selector.select(timeout):
            return self.process.poll() is None
        chunk = os.read(self.process.stdout.fileno(), 65536)
        if not chunk:
            return False
        self._buffer += chunk
        *complete, self._buffer = self._buffer.split(b"\n")
        self.lines.extend(line.decode(errors="replace") for line in complete)
        return True


def program_in_folder(program, shader_files=None):
    """Copies a program into a new folder, with the given ShaderFiles entries.

    shader_files maps file names to a source path, None for a FIFO (which
    blocks whoever opens it), or is None for no ShaderFiles folder at all.
    Returns (folder, program path); the caller removes the folder.
    """
    folder = tempfile.mkdtemp(prefix="corvane-e2e-")
    target = os.path.join(folder, os.path.basename(program))
    shutil.copy2(program, target)
    if shader_files is not None:
        shaders = os.path.join(folder, "ShaderFiles")
        os.mkdir(shaders)
        for name, source in shader_files.items():
            if source is None:
                os.mkfifo(os.path.join(shaders, name))
            else:
                shutil.copy2(source, os.path.join(shaders, name))
    return folder, target
