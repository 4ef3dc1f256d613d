"""The runner's process control against small fake programs (no display needed).

Each fake is a script that behaves like a Corvane program in one way: it
prints statistics lines, hangs, crashes, ignores SIGTERM... and records its
pid (and its helper child's), so the tests can check nothing is left behind.
"""

import csv
import json
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

from runner_test_support import RUNNER, environment, run_runner

PRELUDE = """\
#!{python}
import os, signal, subprocess, sys, time
def remember(pid):
    with open({pids!r}, "a") as f:
        f.write(f"{{pid}}\\n")
remember(os.getpid())
def line(i):
    print(f"Frametime:{{i}}.5  ComputeTime:0.25  fps: {{1000 / (i + 0.5):g}}  SampleSize: 500", flush=True)
def clean_exit(*_):
    sys.exit(0)
"""

# A well-behaved program (run as CpuBox3): a message, then a line every 50 ms; SIGTERM exits with 0.
STEADY = """\
signal.signal(signal.SIGTERM, clean_exit)
print("Unable to load physics shader!", flush=True)
for i in range(1, 100000):
    time.sleep(0.05)
    line(i)
"""

# Two lines, then a frame that takes a minute: only a signal ends it early.
SLOW = """\
signal.signal(signal.SIGTERM, clean_exit)
line(1)
line(2)
time.sleep(60)
"""

FAILURES = [
    # (name, program body, runner options, start of the reason, rows kept)
    ("silent", 'print("starting", flush=True)\ntime.sleep(60)\n',
     ["--first-line-timeout", "1"], "no statistics line within 1 s of start", 0),
    ("stalls", "line(1)\ntime.sleep(60)\n",
     ["--line-timeout", "1"], "no statistics line for 1 s after line 1", 1),
    ("crashes", 'print("about to crash", flush=True)\nos.kill(os.getpid(), signal.SIGSEGV)\n',
     [], "exited on its own with signal SIGSEGV after 0 statistics line(s)", 0),
    ("fails_to_start", 'print("Unable to load shader programs!", flush=True)\nsys.exit(1)\n',
     [], "exited on its own with exit code 1 after 0 statistics line(s)", 0),
    ("quits_early", "line(1)\nsys.exit(0)\n",
     [], "exited on its own with exit code 0 after 1 statistics line(s)", 1),
    # The helper child shows that the whole process group goes, not only the program.
    ("ignores_sigterm",
     'signal.signal(signal.SIGTERM, signal.SIG_IGN)\n'
     'remember(subprocess.Popen(["sleep", "60"]).pid)\n'
     "for i in range(1, 4):\n    line(i)\ntime.sleep(60)\n",
     ["--stop-timeout", "1"], "did not exit within 1 s of SIGTERM; killed", 3),
    ("bad_exit_code", 'signal.signal(signal.SIGTERM, lambda *_: sys.exit(3))\n'
     "for i in range(1, 4):\n    line(i)\ntime.sleep(60)\n",
     [], "exited with exit code 3 after SIGTERM (a clean stop exits with 0)", 3),
    ("malformed", 'signal.signal(signal.SIGTERM, clean_exit)\nline(1)\n'
     'print("Frametime:abc  ComputeTime:0  fps: 1  SampleSize: 500", flush=True)\ntime.sleep(60)\n',
     [], "malformed statistics line 2: frame time is not a number: 'abc'", 1),
]


def _alive(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] != "Z"
    except FileNotFoundError:
        return False


class FakeProgramTest(unittest.TestCase):
    def setUp(self):
        self._folder = tempfile.TemporaryDirectory()
        self.folder = Path(self._folder.name)
        self.pids = self.folder / "pids"
        self.out = self.folder / "out"
        self.env = environment(DISPLAY=":fake-display-for-tests")

    def tearDown(self):
        for pid in self._pids():  # never leave a fake behind, even when a test fails
            if _alive(pid):
                os.kill(pid, signal.SIGKILL)
        self._folder.cleanup()

    def _program(self, name, body):
        path = self.folder / name
        path.write_text(PRELUDE.format(python=sys.executable, pids=str(self.pids)) + body)
        path.chmod(0o755)
        return f"{name}={path}"

    def _pids(self):
        return [int(text) for text in self.pids.read_text().split()] if self.pids.exists() else []

    def _run(self, *args):
        return run_runner(["--out", str(self.out), *args], env=self.env)

    def _rows(self):
        with open(self.out / "measurements.csv", newline="") as source:
            return list(csv.DictReader(source))

    def _summary(self):
        return json.loads((self.out / "summary.json").read_text())

    def assertNothingLeft(self):
        self.assertTrue(self._pids(), "the fake program never started")
        self.assertEqual([pid for pid in self._pids() if _alive(pid)], [])

    def test_lines_are_collected_and_the_program_stopped_cleanly(self):
        result = self._run("--program", self._program("CpuBox3", STEADY), "--lines", "3", "--runs", "2")
        self.assertEqual(result.returncode, 0, result.stderr)
        rows = self._rows()
        self.assertEqual([(r["configuration"], r["executor"], r["shape"], r["body_count"], r["run"], r["line"])
                          for r in rows],
                         [("CpuBox3", "Cpu", "Box", "3", str(run), str(line)) for run in (1, 2) for line in (1, 2, 3)])
        self.assertEqual([float(r["frame_time_ms"]) for r in rows[:3]], [1.5, 2.5, 3.5])
        self.assertEqual({float(r["compute_time_ms"]) for r in rows}, {0.25})
        runs = self._summary()["runs"]
        self.assertEqual([(r["status"], r["exit_code"], r["lines"]) for r in runs], [("ok", 0, 3)] * 2)
        self.assertEqual(runs[0]["messages"], ["Unable to load physics shader!"])
        self.assertIn("CpuBox3 run 2/2: line 3/3", result.stderr)
        self.assertNothingLeft()

    def test_seconds_limit_stops_the_run(self):
        started = time.monotonic()
        result = self._run("--program", self._program("CpuBox3", STEADY), "--seconds", "1")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertLess(time.monotonic() - started, 10)
        run = self._summary()["runs"][0]
        self.assertEqual((run["status"], run["exit_code"]), ("ok", 0))
        self.assertGreaterEqual(run["lines"], 2)
        self.assertEqual(len(self._rows()), run["lines"])
        self.assertNothingLeft()

    def test_failures_are_reported_by_name_with_their_output(self):
        for name, body, options, reason, rows in FAILURES:
            with self.subTest(name=name):
                result = self._run("--program", self._program(name, body), "--meta", f"{name}=Gpu,Circle,5",
                                   "--lines", "3", *options)
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertIn(f"FAILED {name} run 1: {reason}", result.stderr)
                problem = self._summary()["problems"][0]
                self.assertEqual(problem["configuration"], name)
                self.assertTrue(problem["reason"].startswith(reason), problem["reason"])
                self.assertTrue(problem["output_tail"])
                self.assertEqual(len(self._rows()), rows)
                self.assertIn(f"**{name}** run 1 (failed): {reason}", (self.out / "summary.md").read_text())
                self.assertNothingLeft()

    def test_one_failure_does_not_stop_the_others(self):
        result = self._run("--program", self._program("crashes", FAILURES[2][1]), "--meta", "crashes=Cpu,Box,5",
                           "--program", self._program("CpuBox3", STEADY), "--lines", "2", "--runs", "2")
        self.assertEqual(result.returncode, 1, result.stderr)
        summary = self._summary()
        self.assertEqual([(r["configuration"], r["run"], r["status"]) for r in summary["runs"]],
                         [("crashes", 1, "failed"), ("crashes", 2, "skipped"), ("CpuBox3", 1, "ok"), ("CpuBox3", 2, "ok")])
        self.assertEqual(summary["missing"], ["crashes"])
        self.assertEqual(len(self._rows()), 4)
        self.assertIn("about to crash", result.stderr)
        self.assertNothingLeft()

    def test_missing_executable(self):
        result = self._run("--program", f"CpuBox3={self.folder / 'nowhere' / 'CpuBox3'}")
        self.assertEqual(result.returncode, 1)
        self.assertIn("FAILED CpuBox3 run 1: executable not found:", result.stderr)

    def test_usage_errors_run_nothing(self):
        cases = [
            (["--configs", "GpuBox7"], "unknown configuration(s) GpuBox7"),
            (["--program", "tiny=/bin/true"], "cannot read executor, shape and body count from the name 'tiny'"),
            (["--lines", "0"], "must be at least 1"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                result = run_runner(["--out", str(self.out), "--no-build", *args], env=self.env)
                self.assertEqual(result.returncode, 2)
                self.assertIn(message, result.stderr)
                self.assertFalse(self.out.exists())

    def test_sigterm_to_the_runner_stops_the_program_and_keeps_what_was_collected(self):
        log_path = self.folder / "runner.log"
        with open(log_path, "w") as log:
            runner = subprocess.Popen(
                [sys.executable, "-B", str(RUNNER), "--out", str(self.out),
                 "--program", self._program("CpuBox3", SLOW), "--lines", "3", "--runs", "2"],
                env=self.env, stdout=subprocess.DEVNULL, stderr=log)
        try:
            deadline = time.monotonic() + 60
            while "CpuBox3 run 1/2: line 2/3" not in log_path.read_text():
                self.assertLess(time.monotonic(), deadline, "the program's two lines never came")
                time.sleep(0.05)
            runner.send_signal(signal.SIGTERM)
            runner.wait(timeout=60)
        finally:
            if runner.poll() is None:
                runner.kill()
                runner.wait()
        stderr = log_path.read_text()
        self.assertEqual(runner.returncode, 130, stderr)
        self.assertIn("interrupted", stderr)
        runs = self._summary()["runs"]
        self.assertEqual(runs[1], {**runs[1], "status": "skipped", "reason": "not run: the runner was interrupted"})
        self.assertEqual((runs[0]["status"], runs[0]["reason"], runs[0]["lines"], len(self._rows())),
                         ("failed", "interrupted: the runner was stopped during this run", 2, 2))
        self.assertEqual(runs[0]["exit_code"], 0)  # stopped with SIGTERM, cleanly
        self.assertNothingLeft()


if __name__ == "__main__":
    unittest.main()
