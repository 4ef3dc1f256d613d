"""End-to-end runs of the shipped programs under a display.

CORVANE_BIN_DIR names the folder with the programs and ShaderFiles;
CORVANE_PROGRAM (optional) restricts the per-program runs to one program,
so the slow ones can be separate test entries.
"""

import os
import shutil
import unittest

from programs import STATISTICS_LINE, Run, program_in_folder

BIN_DIR = os.environ["CORVANE_BIN_DIR"]
SHADERS = os.path.join(BIN_DIR, "ShaderFiles")
POLYGON_FILES = ["LPlainPolygonProgram2D.glvs", "LPlainPolygonProgram2D.glfs"]
ALL_PROGRAMS = [
    "GpuBox500", "GpuBox50", "GpuBox1000", "GpuCircle500", "GpuCircle50",
    "CpuBox50", "CpuCircle50", "CpuCircle500",
]
# Seconds until the first statistics line (500 frames) on a 2-core software
# rasteriser, with a wide margin.
FIRST_LINE_TIMEOUT = {"GpuBox1000": 400, "GpuBox500": 150, "GpuCircle500": 150}


def first_line_timeout(name):
    return FIRST_LINE_TIMEOUT.get(name, 90)


def has_statistics(count):
    return lambda lines: sum(bool(STATISTICS_LINE.match(line)) for line in lines) >= count


class ShippedProgram(unittest.TestCase):
    def test_prints_statistics_and_stops_cleanly_on_sigterm(self):
        selected = os.environ.get("CORVANE_PROGRAM")
        for name in [selected] if selected else ALL_PROGRAMS:
            with self.subTest(program=name):
                run = Run(os.path.join(BIN_DIR, name))
                got_line = run.read_until(has_statistics(1), first_line_timeout(name))
                code = run.stop()
                self.assertTrue(got_line, f"{name} printed no statistics line:\n{run.output()}")
                self.assertEqual(code, 0, run.output())
                # Nothing but statistics lines: start-up is silent when all is well.
                self.assertEqual(run.lines, run.statistics(), run.output())
                for line in run.statistics():
                    compute = float(STATISTICS_LINE.match(line)["compute"])
                    if name.startswith("Cpu"):
                        self.assertEqual(compute, 0.0, line)
                    else:
                        self.assertGreater(compute, 0.0, line)


class BadInput(unittest.TestCase):
    def run_in_folder(self, program, shader_files, close_stdin=False, statistics=0, timeout=90):
        folder, path = program_in_folder(os.path.join(BIN_DIR, program), shader_files)
        self.addCleanup(shutil.rmtree, folder)
        run = Run(path, close_stdin=close_stdin)
        if statistics:
            run.read_until(has_statistics(statistics), timeout)
        else:
            run.process.wait(timeout)
        return folder, run, run.stop()

    def test_without_shader_files_start_up_fails(self):
        for program in ["CpuBox50", "GpuCircle50"]:
            with self.subTest(program=program):
                folder, run, code = self.run_in_folder(program, None)
                self.assertNotEqual(code, 0)
                lines = run.lines
                shaders = os.path.join(folder, "ShaderFiles")
                self.assertEqual(lines[0], f"Unable to open file {shaders}/LPlainPolygonProgram2D.glvs", run.output())
                self.assertEqual(lines[1], f"Unable to open file {shaders}/LPlainPolygonProgram2D.glfs")
                self.assertRegex(lines[2], r"^Error linking program \d+!$")
                # The link log (GL's own words), printed again after the bind error.
                warning = lines.index("ObjectPos is not a valid glsl program variable!")
                log = lines[3:warning]
                self.assertTrue(any(log), run.output())
                self.assertEqual(lines[warning + 1], "Rotation is not a valid glsl program variable!")
                self.assertRegex(lines[warning + 2], r"^Error binding shader! \S")
                self.assertEqual(
                    lines[warning + 3:],
                    log + ["Unable to load basic shader!", "Unable to load shader programs!"],
                    run.output(),
                )

    def test_without_a_display_start_up_fails_at_the_window(self):
        run = Run(os.path.join(BIN_DIR, "CpuBox50"), env={**os.environ, "DISPLAY": ":4095"})
        run.process.wait(60)
        code = run.stop()
        # Nothing else is set up: no loader, no shaders, no scene.
        self.assertEqual(run.lines, ["Failed to create GLFW window"])
        self.assertNotEqual(code, 0)

    def test_gpu_program_without_its_compute_shader_runs_on(self):
        files = {name: os.path.join(SHADERS, name) for name in POLYGON_FILES}
        folder, run, code = self.run_in_folder("GpuBox50", files, close_stdin=True, statistics=2)
        missing = os.path.join(folder, "ShaderFiles", "BoxColl.glcs")
        self.assertEqual(
            run.lines[:4],
            [
                f"Unable to open file {missing}",
                "Could not find Compute Shader ",
                "Press Enter to Continue ",
                "Unable to load physics shader!",
            ],
            run.output(),
        )
        self.assertEqual(len(run.statistics()), len(run.lines) - 4, run.output())
        self.assertGreaterEqual(len(run.statistics()), 2, run.output())
        self.assertEqual(code, 0)

    def test_cpu_programs_open_no_compute_shader(self):
        # Both compute files are FIFOs: opening one would block the program
        # before its first frame.
        files = {name: os.path.join(SHADERS, name) for name in POLYGON_FILES}
        files.update({"BoxColl.glcs": None, "CircleColl.glcs": None})
        for program in ["CpuBox50", "CpuCircle50"]:
            with self.subTest(program=program):
                _, run, code = self.run_in_folder(program, files, statistics=1, timeout=60)
                self.assertEqual(code, 0)
                self.assertEqual(len(run.statistics()), 1, run.output())
                self.assertEqual(run.lines, run.statistics(), run.output())


if __name__ == "__main__":
    unittest.main()
