"""Parsing of statistics lines, configuration names and options, and the build commands they lead to."""

import tempfile
import unittest
from pathlib import Path

import runner_test_support  # noqa: F401  (puts tools/ on the path)
from benchrunner.build import build_command
from benchrunner.configs import ConfigError, make_configurations, parse_config_name, parse_meta, select_shipped
from benchrunner.stats_line import StatsLine, StatsLineError, is_stats_candidate, parse_stats_line


class ParseStatsLineTest(unittest.TestCase):
    VALID = [
        # (line, frame_time_ms, compute_time_ms, fps, sample_size)
        ("Frametime:12.5  ComputeTime:4  fps: 80  SampleSize: 500", 12.5, 4.0, 80.0, 500),
        ("Frametime:0.371081  ComputeTime:0  fps: 2694.83  SampleSize: 500", 0.371081, 0.0, 2694.83, 500),
        ("Frametime:1.2e-05  ComputeTime:3.4e-07  fps: 8.33333e+07  SampleSize: 500",
         1.2e-05, 3.4e-07, 8.33333e+07, 500),
        ("Frametime:1e+06  ComputeTime:2.5e+05  fps: 0.001  SampleSize: 500", 1e6, 2.5e5, 0.001, 500),
        ("Frametime:12.5  ComputeTime:4  fps: 80  SampleSize: 500\n", 12.5, 4.0, 80.0, 500),
        ("Frametime:12.5  ComputeTime:4  fps: 80  SampleSize: 500\r\n", 12.5, 4.0, 80.0, 500),
        ("Frametime:7  ComputeTime:0  fps: 142.857  SampleSize: 1", 7.0, 0.0, 142.857, 1),
    ]

    # (line, a piece of the message that says what is wrong)
    MALFORMED = [
        ("", "expected 'Frametime:'"),
        ("Frametime: 12.5  ComputeTime:4  fps: 80  SampleSize: 500", "missing frame time"),
        ("Frametime:12.5 ComputeTime:4  fps: 80  SampleSize: 500", "expected '  ComputeTime:' at column 15"),
        ("Frametime:12.5  ComputeTime:4  fps: 80", "expected '  SampleSize: '"),
        ("Frametime:12.5  ComputeTime:4  fps:80  SampleSize: 500", "expected '  fps: '"),
        ("Frametime:12.5  ComputeTime:4  fps: 80  SampleSize: 500  extra", "unexpected text after the sample size"),
        ("Frametime:12.5  ComputeTime:4  fps: 80  SampleSize: 500 ", "unexpected text after the sample size"),
        ("GlErrorFrametime:12.5  ComputeTime:4  fps: 80  SampleSize: 500", "expected 'Frametime:' at column 1"),
        ("Frametime:12,5  ComputeTime:4  fps: 80  SampleSize: 500", "frame time is not a number: '12,5'"),
        ("Frametime:1.2.3  ComputeTime:4  fps: 80  SampleSize: 500", "frame time is not a number"),
        ("Frametime:.5  ComputeTime:4  fps: 80  SampleSize: 500", "frame time is not a number"),
        ("Frametime:12.5  ComputeTime:abc  fps: 80  SampleSize: 500", "compute time is not a number: 'abc'"),
        ("Frametime:12.5  ComputeTime:1e  fps: 80  SampleSize: 500", "compute time is not a number"),
        ("Frametime:12.5  ComputeTime:-4  fps: 80  SampleSize: 500", "negative compute time"),
        ("Frametime:0  ComputeTime:0  fps: inf  SampleSize: 500", "fps is not a finite number: 'inf'"),
        ("Frametime:-nan  ComputeTime:0  fps: 80  SampleSize: 500", "frame time is not a finite number"),
        ("Frametime:1e999  ComputeTime:0  fps: 80  SampleSize: 500", "frame time is out of range"),
        ("Frametime:12.5  ComputeTime:4  fps: 80  SampleSize: 0", "sample size must be a positive integer"),
        ("Frametime:12.5  ComputeTime:4  fps: 80  SampleSize: 500.0", "sample size must be a positive integer"),
    ]

    def test_valid_lines(self):
        for line, frame, compute, fps, sample in self.VALID:
            with self.subTest(line=line):
                self.assertEqual(parse_stats_line(line), StatsLine(frame, compute, fps, sample))

    def test_malformed_lines_are_rejected_with_a_message(self):
        for line, message in self.MALFORMED:
            with self.subTest(line=line):
                with self.assertRaises(StatsLineError) as caught:
                    parse_stats_line(line)
                self.assertIn(message, str(caught.exception))

    def test_only_lines_with_a_statistics_label_are_candidates(self):
        cases = [
            ("Frametime:12.5  ComputeTime:4  fps: 80  SampleSize: 500", True),
            ("GlErrorFrametime:1  ComputeTime:0  fps: 1000  SampleSize: 500", True),
            ("  SampleSize: 500", True),
            ("Unable to load physics shader!", False),
            ("Unable to open file /x/ShaderFiles/LPlainPolygonProgram2D.glvs", False),
            ("", False),
        ]
        for line, expected in cases:
            with self.subTest(line=line):
                self.assertEqual(is_stats_candidate(line), expected)


class ConfigurationNameTest(unittest.TestCase):
    def test_names_give_executor_shape_and_count(self):
        cases = [
            ("CpuBox3", ("Cpu", "Box", 3)),
            ("GpuCircle500", ("Gpu", "Circle", 500)),
            ("GpuBox1000", ("Gpu", "Box", 1000)),
        ]
        for name, expected in cases:
            with self.subTest(name=name):
                self.assertEqual(parse_config_name(name), expected)

    def test_other_names_are_rejected(self):
        for name in ("Box3", "CpuTriangle3", "CpuBox0", "CpuBox", "cpubox3", "CpuBox3x", "CpuBox03"):
            with self.subTest(name=name):
                with self.assertRaisesRegex(ConfigError, "cannot read executor, shape and body count"):
                    parse_config_name(name)

    def test_meta_options(self):
        self.assertEqual(parse_meta("fast=Gpu,Circle,7"), ("fast", ("Gpu", "Circle", 7)))
        cases = [
            ("fast", "expected NAME=EXECUTOR,SHAPE,COUNT"),
            ("fast=Cpu,Box", "expected NAME=EXECUTOR,SHAPE,COUNT"),
            ("fast=Tpu,Box,3", "executor must be one of"),
            ("fast=Cpu,Square,3", "shape must be one of"),
            ("fast=Cpu,Box,-3", "body count must be a positive integer"),
            ("a b=Cpu,Box,3", "may hold only"),
        ]
        for text, message in cases:
            with self.subTest(text=text):
                with self.assertRaisesRegex(ConfigError, message):
                    parse_meta(text)

    def test_selection_and_programs(self):
        self.assertEqual(len(select_shipped("all")), 8)
        self.assertEqual(select_shipped("CpuBox50, GpuBox50,CpuBox50"), ["CpuBox50", "GpuBox50"])
        with self.assertRaisesRegex(ConfigError, "unknown configuration.*GpuBox7"):
            select_shipped("GpuBox50,GpuBox7")

        configs = make_configurations(["CpuBox50"], "/b/bin", [("CpuBox3", "/t/CpuBox3"), ("odd", "rel/odd")],
                                      {"odd": ("Gpu", "Circle", 9)})
        self.assertEqual([(c.name, c.executor, c.shape, c.body_count) for c in configs],
                         [("CpuBox50", "Cpu", "Box", 50), ("CpuBox3", "Cpu", "Box", 3), ("odd", "Gpu", "Circle", 9)])
        self.assertEqual(str(configs[0].path), "/b/bin/CpuBox50")
        self.assertTrue(configs[2].path.is_absolute())
        with self.assertRaisesRegex(ConfigError, "named twice"):
            make_configurations(["CpuBox50"], "/b/bin", [("CpuBox50", "/t/x")], {})
        with self.assertRaisesRegex(ConfigError, "which no --program names"):
            make_configurations([], "/b/bin", [], {"ghost": ("Cpu", "Box", 3)})
        with self.assertRaisesRegex(ConfigError, "cannot read executor"):
            make_configurations([], "/b/bin", [("tiny", "/t/tiny")], {})


class BuildCommandTest(unittest.TestCase):
    def test_the_default_folder_uses_the_build_script_others_use_cmake(self):
        with tempfile.TemporaryDirectory() as folder:
            root = Path(folder)
            (root / "configured").mkdir()
            (root / "configured" / "CMakeCache.txt").write_text("")
            self.assertEqual(build_command(root, root / "build", ["GpuBox50", "CpuBox50"]),
                             [[str(root / "scripts" / "build.sh"), "--target", "GpuBox50", "CpuBox50"]])
            commands = build_command(root, root / "configured", ["CpuBox50"])
            self.assertEqual(len(commands), 1)
            self.assertEqual(commands[0][:3] + commands[0][-2:],
                             ["cmake", "--build", str(root / "configured"), "--target", "CpuBox50"])
            # A folder never configured is configured first, then built.
            commands = build_command(root, root / "fresh", ["CpuBox50"])
            self.assertEqual([command[:2] for command in commands], [["cmake", "-S"], ["cmake", "--build"]])
            self.assertIn(str(root / "fresh"), commands[0])


if __name__ == "__main__":
    unittest.main()
