"""The results chart, written as SVG by hand (no plotting library is available).

Bars: the median frame time and collision-pass time of every configuration
over statistics lines 2 and later, whiskers from min to max; configurations
of the same shape and body count stand side by side, CPU before GPU. The
y axis is logarithmic: the configurations differ by orders of magnitude.
"""

import math
from xml.sax.saxutils import escape, quoteattr

COLOURS = {
    ("Cpu", "frame_time_ms"): "#1f77b4",
    ("Cpu", "compute_time_ms"): "#9ecae9",
    ("Gpu", "frame_time_ms"): "#e6550d",
    ("Gpu", "compute_time_ms"): "#fdae6b",
}
LEGEND = (
    (("Cpu", "frame_time_ms"), "CPU frame time"),
    (("Cpu", "compute_time_ms"), "CPU collision pass (0: inside the world step)"),
    (("Gpu", "frame_time_ms"), "GPU frame time"),
    (("Gpu", "compute_time_ms"), "GPU collision pass"),
)
SHAPE_ORDER = {"Box": 0, "Circle": 1}
EXECUTOR_ORDER = {"Cpu": 0, "Gpu": 1}

BAR_W = 22
BAR_GAP = 4
SLOT_W = 2 * BAR_W + BAR_GAP + 30
GROUP_GAP = 28
LEFT = 78
RIGHT = 24
TOP = 150  # leaves room for the rotated value labels of the tallest bars
PLOT_H = 300
FONT = "font-family=\"DejaVu Sans, Arial, sans-serif\""


def _groups(entries):
    keyed = {}
    for entry in entries:
        keyed.setdefault((entry["shape"], entry["body_count"]), []).append(entry)
    ordered = sorted(keyed.items(), key=lambda item: (SHAPE_ORDER.get(item[0][0], 9), item[0][0], item[0][1]))
    return [(key, sorted(group, key=lambda e: (EXECUTOR_ORDER.get(e["executor"], 9), e["configuration"])))
            for key, group in ordered]


def _positive_values(entries):
    values = []
    for entry in entries:
        for key in ("frame_time_ms", "compute_time_ms"):
            stats = entry["steady"][key]
            if stats:
                values += [v for v in (stats["median"], stats["min"], stats["max"]) if v > 0]
    return values


class _Scale:
    def __init__(self, values):
        low = min(values) if values else 1.0
        high = max(values) if values else 10.0
        self.low_exp = math.floor(math.log10(low))
        self.high_exp = max(math.ceil(math.log10(high)), self.low_exp + 1)

    def y(self, value):
        fraction = (math.log10(value) - self.low_exp) / (self.high_exp - self.low_exp)
        return TOP + PLOT_H * (1.0 - fraction)

    def ticks(self):
        return [10.0 ** e for e in range(self.low_exp, self.high_exp + 1)]


def _tick_label(value):
    return f"{value:g}"


def _text(x, y, text, size=11, anchor="middle", extra=""):
    return (f'<text x="{x:.1f}" y="{y:.1f}" font-size="{size}" text-anchor="{anchor}" {FONT}{extra}>'
            f"{escape(text)}</text>")


def render_chart(summary, title="Corvane: frame time and collision-pass time per configuration"):
    """The chart as an SVG document (str)."""
    entries = summary["configurations"]
    groups = _groups(entries)
    scale = _Scale(_positive_values(entries))
    plot_w = sum(len(group) * SLOT_W for _, group in groups) + GROUP_GAP * max(0, len(groups) - 1)
    width = max(LEFT + plot_w + RIGHT, 720)
    notes = _notes(summary)
    height = TOP + PLOT_H + 84 + 16 * len(notes) + 10
    base = TOP + PLOT_H

    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
           f'viewBox="0 0 {width} {height}">',
           f"<title>{escape(title)}</title>",
           f'<rect x="0" y="0" width="{width}" height="{height}" fill="white"/>',
           _text(width / 2, 24, title, size=15, extra=' font-weight="bold"'),
           _text(width / 2, 42, "median over statistics lines 2 and later of all runs (each line averages "
                 "500 frames); whiskers: min to max", size=11)]
    out += _legend(width)

    # Axis, decade grid lines and their labels.
    for tick in scale.ticks():
        y = scale.y(tick)
        out.append(f'<line x1="{LEFT}" y1="{y:.1f}" x2="{LEFT + plot_w}" y2="{y:.1f}" stroke="#dddddd"/>')
        out.append(_text(LEFT - 6, y + 4, _tick_label(tick), size=10, anchor="end"))
    out.append(f'<line x1="{LEFT}" y1="{TOP}" x2="{LEFT}" y2="{base}" stroke="black"/>')
    out.append(f'<line x1="{LEFT}" y1="{base}" x2="{LEFT + plot_w}" y2="{base}" stroke="black"/>')
    out.append(_text(22, TOP + PLOT_H / 2, "milliseconds (log scale)", size=11,
                     extra=f' transform="rotate(-90 22 {TOP + PLOT_H / 2:.1f})"'))

    x = LEFT
    for (shape, count), group in groups:
        group_w = len(group) * SLOT_W
        for entry in group:
            out += _slot(entry, x, scale, base)
            x += SLOT_W
        # Centred under the bars (a slot ends in padding); two short lines, as a
        # group can be a single slot wide.
        centre = x - group_w / 2 - (SLOT_W - 2 * BAR_W - BAR_GAP) / 2
        out.append(_text(centre, base + 38, shape, size=12, extra=' font-weight="bold"'))
        out.append(_text(centre, base + 53, f"{count} bodies", size=12, extra=' font-weight="bold"'))
        x += GROUP_GAP

    for index, note in enumerate(notes):
        out.append(_text(LEFT, base + 80 + 16 * index, note, size=11, anchor="start"))
    if not any(entry["steady"]["frame_time_ms"] for entry in entries):
        out.append(_text(LEFT + plot_w / 2 if groups else width / 2, TOP + PLOT_H / 2, "No data", size=14))
    out.append("</svg>")
    return "\n".join(out) + "\n"


def _legend(width):
    out = []
    x, y = LEFT, 62
    for index, ((executor, metric), label) in enumerate(LEGEND):
        column, row = index % 2, index // 2
        lx = x + column * 300
        ly = y + row * 18
        out.append(f'<rect x="{lx}" y="{ly - 10}" width="12" height="12" fill="{COLOURS[(executor, metric)]}"/>')
        out.append(_text(lx + 18, ly, label, size=11, anchor="start"))
    return out


def _slot(entry, x, scale, base):
    name = entry["configuration"]
    out = [_text(x + (2 * BAR_W + BAR_GAP) / 2, base + 18, name, size=10)]
    steady = entry["steady"]
    if steady["frame_time_ms"] is None:
        reason = "missing" if entry["status"] == "missing" else "no lines after the 1st"
        out.append(_text(x + (2 * BAR_W + BAR_GAP) / 2, base - 8, reason, size=10, extra=' fill="#b00000"'))
        return out
    for index, metric in enumerate(("frame_time_ms", "compute_time_ms")):
        stats = steady[metric]
        bar_x = x + index * (BAR_W + BAR_GAP)
        centre = bar_x + BAR_W / 2
        colour = COLOURS.get((entry["executor"], metric), "#888888")
        if stats is None or stats["median"] <= 0:
            out.append(_text(centre, base - 4, "0", size=10))
            continue
        top = scale.y(stats["median"])
        out.append(f'<rect class="bar" data-config={quoteattr(name)} data-metric="{metric}" '
                   f'data-value="{stats["median"]!r}" x="{bar_x:.1f}" y="{top:.1f}" width="{BAR_W}" '
                   f'height="{base - top:.1f}" fill="{colour}"/>')
        label_y = top
        if stats["min"] > 0 and stats["max"] > stats["min"]:
            y_min, y_max = scale.y(stats["min"]), scale.y(stats["max"])
            out.append(f'<line x1="{centre:.1f}" y1="{y_min:.1f}" x2="{centre:.1f}" y2="{y_max:.1f}" '
                       f'stroke="black"/>')
            for y in (y_min, y_max):
                out.append(f'<line x1="{centre - 4:.1f}" y1="{y:.1f}" x2="{centre + 4:.1f}" y2="{y:.1f}" '
                           f'stroke="black"/>')
            label_y = min(label_y, y_max)
        label_y -= 4
        out.append(_text(centre + 4, label_y, _value_label(stats["median"]), size=10, anchor="start",
                         extra=f' transform="rotate(-90 {centre + 4:.1f} {label_y:.1f})"'))
    return out


def _value_label(value):
    return f"{value:.0f}" if value >= 1000 else f"{value:.3g}"


def _notes(summary):
    notes = []
    if summary.get("missing"):
        notes.append("Missing (no data): " + ", ".join(summary["missing"]))
    if summary.get("incomplete"):
        notes.append("Some runs failed: " + ", ".join(summary["incomplete"]) + " (see summary.md)")
    notes.append("Frame time includes drawing (one draw call per body) and the buffer swap.")
    notes.append("CPU configurations test collisions inside the world step: their collision pass reads 0.")
    return notes


def write_chart(path, summary):
    with open(path, "w", encoding="utf-8") as out:
        out.write(render_chart(summary))
