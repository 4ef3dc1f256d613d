#!/usr/bin/env bash
# Builds the six benchmark programs (box and circle bodies, 50, 500 and 1000
# of them), runs each once and merges their Google Benchmark JSON into one
# file.
#   scripts/microbench.sh [--out FILE] [benchmark arguments...]
# FILE defaults to results/microbench.json; further arguments go to every
# program (e.g. --benchmark_repetitions=5, --benchmark_filter=CpuStep).
# Without a DISPLAY the programs run under Xvfb, so that their GPU
# benchmarks get a context too.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

out="$root/results/microbench.json"
if [ "${1:-}" = "--out" ]; then
    if [ $# -lt 2 ]; then
        echo "usage: $0 [--out FILE] [benchmark arguments...]" >&2
        exit 2
    fi
    out="$2"
    shift 2
fi

programs=()
for shape in Box Circle; do
    for count in 50 500 1000; do
        programs+=("corvane_bench_${shape}${count}")
    done
done

targets=()
for program in "${programs[@]}"; do
    targets+=(--target "$program")
done
"$root/scripts/build.sh" "${targets[@]}"

runner=()
if [ -z "${DISPLAY:-}" ]; then
    runner=(xvfb-run -a -s "-screen 0 1024x1024x24")
fi

parts="$(mktemp -d)"
trap 'rm -rf "$parts"' EXIT

for program in "${programs[@]}"; do
    echo "Running $program" >&2
    # The JSON goes to its own file: standard output also carries the
    # programs' own messages (shader loading reports there), which would
    # break it. The readable console table goes to standard error.
    "${runner[@]}" "$root/build/bin/$program" --benchmark_out="$parts/$program.json" --benchmark_out_format=json \
        "$@" >&2
done

mkdir -p "$(dirname "$out")"
/usr/bin/python3 - "$out" "$parts" "${programs[@]}" <<'PYTHON'
import json
import os
import sys

out, parts, programs = sys.argv[1], sys.argv[2], sys.argv[3:]
merged = {"context": None, "programs": {}, "benchmarks": []}
for program in programs:
    with open(os.path.join(parts, program + ".json")) as f:
        report = json.load(f)
    if merged["context"] is None:
        merged["context"] = report.get("context", {})
    merged["programs"][program] = report.get("context", {})
    for benchmark in report.get("benchmarks", []):
        benchmark["program"] = program
        merged["benchmarks"].append(benchmark)

with open(out, "w") as f:
    json.dump(merged, f, indent=2)
    f.write("\n")

# A short table of what was measured.
for b in merged["benchmarks"]:
    if "error_message" in b:
        print(f"{b['program']:26} {b['name']:36} skipped: {b['error_message']}")
        continue
    line = f"{b['program']:26} {b['name']:36} {b['real_time']:12.3f} {b['time_unit']}"
    if "ns_per_pair_test" in b:
        # CPU time too: on a busy machine the wall time includes waiting.
        to_ns = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}[b["time_unit"]]
        cpu_ns = b["cpu_time"] * to_ns / b["pair_tests_per_step"]
        line += (f"  {b['ns_per_pair_test']:7.2f} ns/pair test ({cpu_ns:.2f} on the CPU)"
                 f"  {b['ms_per_step']:9.4f} ms/step")
    print(line)
print(f"Wrote {out}")
PYTHON
