"""Summary, result files and chart on a small synthetic data set."""

import csv
import json
import tempfile
import unittest
import xml.etree.ElementTree as ET
from pathlib import Path

import runner_test_support  # noqa: F401  (puts tools/ on the path)
from benchrunner.configs import Configuration
from benchrunner.results import FIELDS, Measurement, RunRecord, write_csv, write_json
from benchrunner.summary import build_summary, summary_markdown
from benchrunner.svg_chart import render_chart

SVG = "{http://www.w3.org/2000/svg}"

# Given out of chart order on purpose: the chart groups by shape and count, CPU first.
CONFIGS = [
    Configuration("GpuBox1000", "Gpu", "Box", 1000, Path("/bin/GpuBox1000")),
    Configuration("GpuBox50", "Gpu", "Box", 50, Path("/bin/GpuBox50")),
    Configuration("CpuBox50", "Cpu", "Box", 50, Path("/bin/CpuBox50")),
]


def _rows(name, executor, run, values):
    """Measurements of one run; values: [(frame_ms, compute_ms)], fps from the frame time."""
    return [Measurement(name, executor, "Box", 1000 if name.endswith("1000") else 50, run, line,
                        frame, compute, 1000.0 / frame)
            for line, (frame, compute) in enumerate(values, start=1)]


# Line 1 of every run is far off (start-up, 501 passes): it must not move the steady medians.
MEASUREMENTS = (
    _rows("CpuBox50", "Cpu", 1, [(100.0, 0.0), (10.0, 0.0), (12.0, 0.0)])
    + _rows("CpuBox50", "Cpu", 2, [(90.0, 0.0), (11.0, 0.0), (13.0, 0.0)])
    + _rows("GpuBox50", "Gpu", 1, [(20.0, 8.016), (5.0, 2.0), (6.0, 3.0)])
)
TAIL = ["Unable to open file /bin/ShaderFiles/BoxColl.glcs", "Segmentation fault"]
RECORDS = [
    RunRecord("GpuBox1000", 1, "failed", reason="no statistics line within 180 s of start", output_tail=TAIL),
    RunRecord("GpuBox1000", 2, "skipped", reason="not run: run 1 failed"),
    RunRecord("GpuBox50", 1, "ok", lines=3, exit_code=0, messages=["Unable to load physics shader!"]),
    RunRecord("GpuBox50", 2, "failed", exit_code=-11,
              reason="exited on its own with signal SIGSEGV after 0 statistics line(s)"),
    RunRecord("CpuBox50", 1, "ok", lines=3, exit_code=0),
    RunRecord("CpuBox50", 2, "ok", lines=3, exit_code=0),
]
SETTINGS = {"runs": 2, "stop_after": "3 statistics lines"}


def _entry(summary, name):
    return next(entry for entry in summary["configurations"] if entry["configuration"] == name)


class SummaryTest(unittest.TestCase):
    def setUp(self):
        self.summary = build_summary(CONFIGS, MEASUREMENTS, RECORDS, SETTINGS)

    def test_steady_state_uses_lines_two_and_later_of_all_runs(self):
        cpu = _entry(self.summary, "CpuBox50")
        self.assertEqual(cpu["status"], "ok")
        self.assertEqual(cpu["runs_ok"], 2)
        self.assertEqual(cpu["steady"]["lines"], 4)
        self.assertEqual(cpu["steady"]["frame_time_ms"],
                         {"n": 4, "median": 11.5, "q1": 10.75, "q3": 12.25, "min": 10.0, "max": 13.0})
        self.assertEqual(cpu["steady"]["compute_time_ms"]["median"], 0.0)
        self.assertAlmostEqual(cpu["steady"]["fps"]["median"], (1000 / 11 + 1000 / 12) / 2)

    def test_first_line_is_kept_apart(self):
        cpu = _entry(self.summary, "CpuBox50")
        self.assertEqual(cpu["first_line"]["lines"], 2)
        self.assertEqual(cpu["first_line"]["frame_time_ms"]["median"], 95.0)
        gpu = _entry(self.summary, "GpuBox50")
        self.assertEqual(gpu["first_line"]["compute_time_ms"]["median"], 8.016)
        self.assertEqual(gpu["steady"]["compute_time_ms"]["median"], 2.5)

    def test_missing_and_failed_configurations_are_listed(self):
        self.assertEqual(self.summary["missing"], ["GpuBox1000"])
        self.assertEqual(self.summary["incomplete"], ["GpuBox50"])
        self.assertEqual(_entry(self.summary, "GpuBox1000")["status"], "missing")
        self.assertEqual(_entry(self.summary, "GpuBox50")["runs_ok"], 1)
        self.assertEqual([(p["configuration"], p["run"], p["status"]) for p in self.summary["problems"]],
                         [("GpuBox1000", 1, "failed"), ("GpuBox1000", 2, "skipped"), ("GpuBox50", 2, "failed")])

        markdown = summary_markdown(self.summary)
        self.assertIn("No data at all: GpuBox1000.", markdown)
        self.assertIn("Some runs missing: GpuBox50.", markdown)
        self.assertIn("**GpuBox1000** run 1 (failed): no statistics line within 180 s of start", markdown)
        self.assertIn("  Segmentation fault", markdown)
        self.assertIn("**GpuBox50** run 2 (failed): exited on its own with signal SIGSEGV", markdown)
        self.assertIn("| CpuBox50 | Cpu | Box | 50 | 2/2 | 4 | 11.5 [10–13] | 0 [0–0] |", markdown)
        self.assertIn("| CpuBox50 | 2 | 95 [90–100] |", markdown)
        self.assertIn("- GpuBox50: `Unable to load physics shader!`", markdown)

    def test_nothing_missing_is_said_too(self):
        complete = build_summary(CONFIGS[2:], MEASUREMENTS, RECORDS[4:], SETTINGS)
        self.assertEqual((complete["missing"], complete["problems"]), ([], []))
        self.assertIn("Nothing: every configuration completed every run.", summary_markdown(complete))


class ResultFilesTest(unittest.TestCase):
    def test_csv_and_json_hold_one_row_per_statistics_line(self):
        with tempfile.TemporaryDirectory() as folder:
            write_csv(Path(folder) / "m.csv", MEASUREMENTS)
            write_json(Path(folder) / "m.json", MEASUREMENTS)
            with open(Path(folder) / "m.csv", newline="") as source:
                reader = csv.DictReader(source)
                self.assertEqual(tuple(reader.fieldnames), FIELDS)
                csv_rows = list(reader)
            with open(Path(folder) / "m.json") as source:
                json_rows = json.load(source)
        self.assertEqual(len(csv_rows), len(MEASUREMENTS))
        self.assertEqual(len(json_rows), len(MEASUREMENTS))
        for written, loaded, expected in zip(csv_rows, json_rows, MEASUREMENTS):
            with self.subTest(row=expected):
                self.assertEqual(Measurement(
                    written["configuration"], written["executor"], written["shape"], int(written["body_count"]),
                    int(written["run"]), int(written["line"]), float(written["frame_time_ms"]),
                    float(written["compute_time_ms"]), float(written["fps"])), expected)
                self.assertEqual(Measurement(**loaded), expected)


class ChartTest(unittest.TestCase):
    def setUp(self):
        self.svg = ET.fromstring(render_chart(build_summary(CONFIGS, MEASUREMENTS, RECORDS, SETTINGS)))
        self.texts = ["".join(node.itertext()) for node in self.svg.iter(SVG + "text")]

    def _bars(self):
        return {(bar.get("data-config"), bar.get("data-metric")): bar
                for bar in self.svg.iter(SVG + "rect") if bar.get("class") == "bar"}

    def test_labels_legend_and_notes(self):
        for expected in ("CpuBox50", "GpuBox50", "GpuBox1000", "Box", "50 bodies", "1000 bodies",
                         "CPU frame time", "GPU frame time", "GPU collision pass", "milliseconds (log scale)",
                         "Missing (no data): GpuBox1000", "missing"):
            with self.subTest(text=expected):
                self.assertIn(expected, self.texts)

    def test_bars_show_the_steady_medians(self):
        bars = self._bars()
        # The CPU collision pass is 0: written as a label, never drawn as a bar on the log axis.
        self.assertEqual(sorted(bars), [("CpuBox50", "frame_time_ms"), ("GpuBox50", "compute_time_ms"),
                                        ("GpuBox50", "frame_time_ms")])
        self.assertEqual(float(bars[("CpuBox50", "frame_time_ms")].get("data-value")), 11.5)
        self.assertEqual(float(bars[("GpuBox50", "frame_time_ms")].get("data-value")), 5.5)
        self.assertEqual(float(bars[("GpuBox50", "compute_time_ms")].get("data-value")), 2.5)
        heights = [float(bars[key].get("height")) for key in
                   (("GpuBox50", "compute_time_ms"), ("GpuBox50", "frame_time_ms"), ("CpuBox50", "frame_time_ms"))]
        self.assertEqual(heights, sorted(heights))
        self.assertGreater(heights[0], 0)
        # CPU and GPU of equal count side by side, CPU first.
        self.assertLess(float(bars[("CpuBox50", "frame_time_ms")].get("x")),
                        float(bars[("GpuBox50", "frame_time_ms")].get("x")))

    def test_groups_are_ordered_by_shape_and_count(self):
        self.assertLess(self.texts.index("50 bodies"), self.texts.index("1000 bodies"))

    def test_a_chart_without_data_still_parses(self):
        empty = build_summary(CONFIGS[:1], [], RECORDS[:2], SETTINGS)
        svg = ET.fromstring(render_chart(empty))
        texts = ["".join(node.itertext()) for node in svg.iter(SVG + "text")]
        self.assertIn("No data", texts)
        self.assertEqual([r for r in svg.iter(SVG + "rect") if r.get("class") == "bar"], [])


if __name__ == "__main__":
    unittest.main()
