#!/usr/bin/env bash
# Installs what is missing, builds every configuration and benchmarks it.
#   scripts/benchmark.sh [runner options...]      (default: --lines 6 --runs 2)
# Results go to results/: measurements.csv and .json (one row per statistics
# line), summary.md and .json, chart.svg. Without a display the runner starts
# its own Xvfb. See tools/corvane_runner.py --help and docs/results.md.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$root/scripts/install-deps.sh"
if [ $# -eq 0 ]; then
    set -- --lines 6 --runs 2
fi
exec /usr/bin/python3 "$root/tools/corvane_runner.py" "$@"
