#!/usr/bin/env bash
# Configures and builds Corvane.
#   scripts/build.sh [--sanitize] [cmake --build arguments...]
# The plain build goes to build/, the AddressSanitizer + UndefinedBehaviorSanitizer
# build to build-sanitize/. Extra arguments go to cmake --build (e.g. --target GpuBox500).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

build_dir="$root/build"
options=(-DCMAKE_BUILD_TYPE=Release)
if [ "${1:-}" = "--sanitize" ]; then
    shift
    build_dir="$root/build-sanitize"
    options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_SANITIZE=ON -DCORVANE_BUILD_BENCHMARKS=OFF)
fi

cmake -S "$root" -B "$build_dir" "${options[@]}" >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)" "$@"
