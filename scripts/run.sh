#!/usr/bin/env bash
# Installs what is missing, builds one configuration and runs it.
#   scripts/run.sh [Configuration]      (default GpuBox500)
# Configurations: GpuBox500 GpuBox50 GpuBox1000 GpuCircle500 GpuCircle50
#                 CpuBox50 CpuCircle50 CpuCircle500
# Close the window or press Ctrl-C to stop; the program then exits cleanly.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
configuration="${1:-GpuBox500}"

case "$configuration" in
    GpuBox500 | GpuBox50 | GpuBox1000 | GpuCircle500 | GpuCircle50 | CpuBox50 | CpuCircle50 | CpuCircle500) ;;
    *)
        echo "Unknown configuration '$configuration'." >&2
        echo "Choose one of: GpuBox500 GpuBox50 GpuBox1000 GpuCircle500 GpuCircle50 CpuBox50 CpuCircle50 CpuCircle500" >&2
        exit 2
        ;;
esac

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" --target "$configuration" >/dev/null

program="$root/build/bin/$configuration"
if [ -z "${DISPLAY:-}" ]; then
    echo "No display found: running $configuration under Xvfb (a virtual display; the window is not visible," \
        "the statistics are real). Press Ctrl-C to stop."
    exec xvfb-run -a -s "-screen 0 1024x1024x24" "$program"
fi
exec "$program"
