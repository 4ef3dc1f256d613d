#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite under one
# Xvfb server (GL tests need a display; parallel xvfb-run calls would race
# for display numbers).
#   scripts/test.sh [--sanitize] [ctest arguments...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$root/scripts/install-deps.sh"

build_dir="$root/build"
if [ "${1:-}" = "--sanitize" ]; then
    shift
    build_dir="$root/build-sanitize"
    "$root/scripts/build.sh" --sanitize
    # Leaks that belong to the GL driver are suppressed (see the file).
    export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
    export ASAN_OPTIONS="detect_leaks=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
else
    "$root/scripts/build.sh"
fi

cd "$build_dir"
# -noreset: the server must not reset when the last client leaves, or the
# next test to connect may find it gone for a moment.
xvfb-run -a -s "-screen 0 1024x1024x24 -noreset" ctest --output-on-failure --parallel "$(nproc)" "$@"
