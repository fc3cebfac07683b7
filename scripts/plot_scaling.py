"""Draws the scaling report: median time per call against body size, log-log, one line per
benchmark, from Google Benchmark's JSON outputs, as a self-contained SVG (no plotting library),
and prints the table. Usage: plot_scaling.py OUT.svg IN.json..."""
import json
import math
import sys

target, sources = sys.argv[1], sys.argv[2:]
runs = [run for source in sources for run in json.load(open(source))["benchmarks"]]
series = {}
per_item = {}  # ns per entity visited (per entity indexed, for the index build)
for run in runs:
    if run.get("aggregate_name", "median") != "median":
        continue
    name, _, size = run["run_name"].partition("/")
    if not size.isdigit():
        continue
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[run["time_unit"]]
    series.setdefault(name, []).append((int(size), run["real_time"] * scale))
    if "items_per_second" in run and run["items_per_second"] > 0:
        per_item.setdefault(name, {})[int(size)] = 1e9 / run["items_per_second"]

width, height, margin, legend = 900, 480, 70, 170
xs = [s for points in series.values() for s, _ in points]
ys = [t for points in series.values() for _, t in points if t > 0]
x0, x1 = math.log10(min(xs)), math.log10(max(xs))
y0, y1 = math.floor(math.log10(min(ys))), math.ceil(math.log10(max(ys)))


def px(size):
    return margin + (math.log10(size) - x0) / max(x1 - x0, 1e-9) * (width - 2 * margin - legend)


def py(time):
    return height - margin - (math.log10(time) - y0) / max(y1 - y0, 1e-9) * (height - 2 * margin)


colours = ["#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd", "#8c564b", "#e377c2"]
out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
       f'font-family="sans-serif" font-size="12">',
       f'<rect width="{width}" height="{height}" fill="white"/>',
       f'<text x="{width / 2}" y="20" text-anchor="middle">median time per call (µs) against '
       f'faces in the body, log-log</text>']
for e in range(int(y0), int(y1) + 1):
    y = py(10 ** e)
    out.append(f'<line x1="{margin}" y1="{y}" x2="{width - margin - legend}" y2="{y}" '
               f'stroke="#ddd"/>')
    out.append(f'<text x="{margin - 6}" y="{y + 4}" text-anchor="end">1e{e}</text>')
for size in sorted(set(xs)):
    x = px(size)
    out.append(f'<text x="{x}" y="{height - margin + 16}" text-anchor="middle">{size:g}</text>')
for k, (name, points) in enumerate(sorted(series.items())):
    points.sort()
    colour = colours[k % len(colours)]
    path = " ".join(f"{px(s):.1f},{py(t):.1f}" for s, t in points if t > 0)
    out.append(f'<polyline points="{path}" fill="none" stroke="{colour}" stroke-width="2"/>')
    out.append(f'<text x="{width - margin - legend + 12}" y="{margin + 16 * k}" '
               f'fill="{colour}">{name.replace("BM_", "")}</text>')
out.append("</svg>")
open(target, "w").write("\n".join(out) + "\n")

print(f"{'benchmark (median µs)':<26}" + "".join(f"{s:>14}" for s in sorted(set(xs))))
for name, points in sorted(series.items()):
    times = dict(points)
    print(f"{name.replace('BM_', ''):<26}" +
          "".join(f"{times[s]:>14.2f}" if s in times else f"{'':>14}" for s in sorted(set(xs))))

# The targets' measures: time per entity visited by the linear matchers and the log-log slope of
# their time per call; the index build in linear passes (one linear pass of each kind: a face, an
# edge and a vertex match, against building the index of all three kinds).
print()
print(f"{'ns per entity visited':<26}" + "".join(f"{s:>14}" for s in sorted(set(xs))) +
      f"{'slope':>10}")
for name, values in sorted(per_item.items()):
    if "Indexed" in name:
        continue
    points = sorted(dict(series[name]).items())
    lx = [math.log10(s) for s, _ in points]
    ly = [math.log10(t) for _, t in points]
    mean_x, mean_y = sum(lx) / len(lx), sum(ly) / len(ly)
    spread = sum((x - mean_x) ** 2 for x in lx)
    slope = sum((x - mean_x) * (y - mean_y) for x, y in zip(lx, ly)) / spread if spread else 0
    print(f"{name.replace('BM_', ''):<26}" +
          "".join(f"{values[s]:>14.1f}" if s in values else f"{'':>14}"
                  for s in sorted(set(xs))) + f"{slope:>10.2f}")
passes = {}
for size in sorted(set(xs)):
    times = {name: dict(points).get(size) for name, points in series.items()}
    linear = [times.get(n) for n in ("BM_MatchFace", "BM_MatchEdge", "BM_MatchVertex")]
    if times.get("BM_BuildIndex") and all(linear):
        passes[size] = times["BM_BuildIndex"] / sum(linear)
if passes:
    print(f"{'index build, linear passes':<26}" +
          "".join(f"{passes[s]:>14.2f}" if s in passes else f"{'':>14}" for s in sorted(set(xs))))
