"""The runner against the real tiny configuration CpuBox3 (Cpu, Box, 3 bodies).

Needs a display (ctest runs under xvfb-run) and Xvfb for the own-display
case. CORVANE_TEST_PROGRAM names the built CpuBox3, beside its ShaderFiles.
"""

import csv
import json
import os
import shutil
import tempfile
import unittest
from pathlib import Path

from runner_test_support import environment, processes_running, run_runner

PROGRAM = os.environ.get("CORVANE_TEST_PROGRAM")


@unittest.skipUnless(PROGRAM, "CORVANE_TEST_PROGRAM (the built CpuBox3) is not set; ctest sets it")
class RealProgramTest(unittest.TestCase):
    def setUp(self):
        self.assertTrue(os.access(PROGRAM, os.X_OK), f"not an executable: {PROGRAM}")
        self._folder = tempfile.TemporaryDirectory()
        self.folder = Path(self._folder.name)
        self.out = self.folder / "out"

    def tearDown(self):
        self._folder.cleanup()

    def _rows(self):
        with open(self.out / "measurements.csv", newline="") as source:
            return list(csv.DictReader(source))

    def _summary(self):
        return json.loads((self.out / "summary.json").read_text())

    def _check_rows(self, runs, lines):
        rows = self._rows()
        self.assertEqual([(r["configuration"], r["executor"], r["shape"], r["body_count"], r["run"], r["line"])
                          for r in rows],
                         [("CpuBox3", "Cpu", "Box", "3", str(run), str(line))
                          for run in range(1, runs + 1) for line in range(1, lines + 1)])
        for row in rows:
            frame, compute, fps = (float(row[key]) for key in ("frame_time_ms", "compute_time_ms", "fps"))
            self.assertGreater(frame, 0)
            self.assertEqual(compute, 0.0)  # Cpu: the collision tests are inside the world step
            self.assertAlmostEqual(fps * frame / 1000.0, 1.0, delta=1e-4)  # both print 1 / mean

    def test_lines_are_collected_and_every_run_exits_cleanly(self):
        result = run_runner(["--program", f"CpuBox3={PROGRAM}", "--lines", "3", "--runs", "2",
                             "--out", str(self.out)], timeout=240)
        self.assertEqual(result.returncode, 0, result.stderr)
        self._check_rows(runs=2, lines=3)
        summary = self._summary()
        self.assertEqual([(r["status"], r["exit_code"]) for r in summary["runs"]], [("ok", 0), ("ok", 0)])
        self.assertEqual(summary["configurations"][0]["steady"]["lines"], 4)
        self.assertEqual(processes_running(PROGRAM), [])

    def test_a_program_without_shader_files_is_reported_and_the_others_still_run(self):
        broken = self.folder / "alone" / "CpuBox3"
        broken.parent.mkdir()
        shutil.copy2(PROGRAM, broken)  # no ShaderFiles beside this copy
        result = run_runner(["--program", f"broken={broken}", "--meta", "broken=Cpu,Box,3",
                             "--program", f"CpuBox3={PROGRAM}", "--lines", "2", "--out", str(self.out)],
                            timeout=240)
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn("FAILED broken run 1: exited on its own with exit code 1 after 0 statistics line(s)",
                      result.stderr)
        problem = self._summary()["problems"][0]
        self.assertEqual(problem["configuration"], "broken")
        self.assertIn("Unable to load basic shader!", problem["output_tail"])
        self.assertIn("Unable to load shader programs!", problem["output_tail"])
        self.assertEqual(self._summary()["missing"], ["broken"])
        self.assertIn("No data at all: broken.", (self.out / "summary.md").read_text())
        self._check_rows(runs=1, lines=2)

    def test_without_a_display_the_runner_brings_and_removes_its_own_xvfb(self):
        result = run_runner(["--program", f"CpuBox3={PROGRAM}", "--lines", "2", "--out", str(self.out)],
                            env=environment(DISPLAY=None), timeout=240)
        self.assertEqual(result.returncode, 0, result.stderr)
        self._check_rows(runs=1, lines=2)
        display = self._summary()["settings"]["display"]
        self.assertRegex(display, r"^:\d+ \(own Xvfb\)$")
        number = display.split()[0][1:]
        self.assertFalse(os.path.exists(f"/tmp/.X11-unix/X{number}"), "the Xvfb socket is still there")
        self.assertFalse(os.path.exists(f"/tmp/.X{number}-lock"), "the Xvfb lock is still there")
        self.assertEqual(processes_running(PROGRAM), [])


if __name__ == "__main__":
    unittest.main()
