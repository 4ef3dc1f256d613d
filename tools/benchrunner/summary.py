"""Per-configuration summary of the measurements: medians and spreads.

The steady state is every statistics line after the first, over all runs.
Line 1 is kept apart: it averages the start-up frames too, and its
collision-pass value sums 501 passes over 500 frames.
"""

import json
import statistics
from dataclasses import asdict

METRICS = (
    ("frame_time_ms", "Frame time (ms)"),
    ("compute_time_ms", "Collision pass (ms)"),
    ("fps", "fps"),
)


def spread(values):
    """n, median, quartiles (inclusive method), min and max; None for no values."""
    values = sorted(values)
    if not values:
        return None
    if len(values) == 1:
        q1 = q3 = values[0]
    else:
        q1, _, q3 = statistics.quantiles(values, n=4, method="inclusive")
    return {"n": len(values), "median": statistics.median(values), "q1": q1, "q3": q3,
            "min": values[0], "max": values[-1]}


def _block(rows):
    block = {"lines": len(rows)}
    for key, _ in METRICS:
        block[key] = spread([getattr(row, key) for row in rows])
    return block


def build_summary(configs, measurements, records, settings):
    """The summary as plain data (what summary.json holds)."""
    entries = []
    problems = []
    for config in configs:
        rows = [row for row in measurements if row.configuration == config.name]
        runs = [record for record in records if record.configuration == config.name]
        failed = [record for record in runs if record.status != "ok"]
        if not rows:
            status = "missing"
        elif failed:
            status = "incomplete"
        else:
            status = "ok"
        messages = []
        for record in runs:
            messages += [text for text in record.messages if text not in messages]
        messages = messages[:10]
        entries.append({
            "configuration": config.name, "executor": config.executor, "shape": config.shape,
            "body_count": config.body_count, "status": status,
            "runs_requested": settings.get("runs", len(runs)),
            "runs_ok": sum(1 for record in runs if record.status == "ok"),
            "steady": _block([row for row in rows if row.line >= 2]),
            "first_line": _block([row for row in rows if row.line == 1]),
            "messages": messages,
        })
        problems += [{"configuration": record.configuration, "run": record.run, "status": record.status,
                      "reason": record.reason, "exit_code": record.exit_code,
                      "output_tail": record.output_tail} for record in failed]
    return {
        "settings": settings,
        "configurations": entries,
        "runs": [asdict(record) for record in records],
        "problems": problems,
        "missing": [entry["configuration"] for entry in entries if entry["status"] == "missing"],
        "incomplete": [entry["configuration"] for entry in entries if entry["status"] == "incomplete"],
    }


def format_value(value):
    if value is None:
        return "—"
    if abs(value) >= 1000:
        return f"{value:.0f}"
    return f"{value:.4g}"


def _cell(stats):
    if stats is None:
        return "—"
    if stats["n"] == 1:
        return format_value(stats["median"])
    return f"{format_value(stats['median'])} [{format_value(stats['min'])}–{format_value(stats['max'])}]"


def summary_markdown(summary):
    settings = summary["settings"]
    lines = ["# Corvane benchmark summary", ""]
    for key, label in (("generated", "Generated"), ("host", "Host"), ("display", "Display"),
                       ("stop_after", "Each run stops after"), ("runs", "Runs per configuration")):
        if key in settings:
            lines.append(f"- {label}: {settings[key]}")
    lines += ["",
              "## Steady state (statistics lines 2 and later, all runs)",
              "",
              "Each cell: median [min–max] of the per-line means (each line averages 500 frames).",
              "",
              "| Configuration | Executor | Shape | Bodies | Runs ok | Lines | "
              + " | ".join(label for _, label in METRICS) + " |",
              "|---|---|---|---:|---:|---:|" + "---:|" * len(METRICS)]
    for entry in summary["configurations"]:
        steady = entry["steady"]
        lines.append(f"| {entry['configuration']} | {entry['executor']} | {entry['shape']} | "
                     f"{entry['body_count']} | {entry['runs_ok']}/{entry['runs_requested']} | {steady['lines']} | "
                     + " | ".join(_cell(steady[key]) for key, _ in METRICS) + " |")
    lines += ["",
              "## First statistics line (start-up included)",
              "",
              "Kept apart: it averages the first 500 frames, start-up effects included, and its",
              "collision-pass value sums 501 passes over 500 frames. Median [min–max] over runs.",
              "",
              "| Configuration | Lines | " + " | ".join(label for _, label in METRICS) + " |",
              "|---|---:|" + "---:|" * len(METRICS)]
    for entry in summary["configurations"]:
        first = entry["first_line"]
        lines.append(f"| {entry['configuration']} | {first['lines']} | "
                     + " | ".join(_cell(first[key]) for key, _ in METRICS) + " |")
    lines += ["", "## Missing or failed", ""]
    lines += _problem_lines(summary)
    messages = [(entry["configuration"], entry["messages"]) for entry in summary["configurations"]
                if entry["messages"]]
    if messages:
        lines += ["", "## Program messages", "",
                  "Other lines the programs printed (the first few distinct ones):", ""]
        for name, texts in messages:
            lines.append(f"- {name}: " + "; ".join(f"`{_code(text)}`" for text in texts))
    return "\n".join(lines) + "\n"


def _problem_lines(summary):
    if not summary["problems"]:
        return ["Nothing: every configuration completed every run."]
    lines = []
    if summary["missing"]:
        lines += [f"No data at all: {', '.join(summary['missing'])}.", ""]
    if summary["incomplete"]:
        lines += [f"Some runs missing: {', '.join(summary['incomplete'])}.", ""]
    for problem in summary["problems"]:
        lines.append(f"- **{problem['configuration']}** run {problem['run']} ({problem['status']}): "
                     f"{problem['reason']}")
        if problem["output_tail"]:
            lines += ["", "  Last lines of its output:", "", "  ```"]
            lines += [f"  {_code(text)}" for text in problem["output_tail"]]
            lines += ["  ```"]
        lines.append("")
    return lines[:-1]


def _code(text):
    # Program output goes into code spans and fences: keep it from closing them.
    return text.replace("`", "'")


def write_summary(out_dir, summary):
    with open(out_dir / "summary.json", "w", encoding="utf-8") as out:
        json.dump(summary, out, indent=1, allow_nan=False, ensure_ascii=False)
        out.write("\n")
    with open(out_dir / "summary.md", "w", encoding="utf-8") as out:
        out.write(summary_markdown(summary))
