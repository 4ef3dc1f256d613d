#!/usr/bin/env bash
# Installs the Debian 12 packages that Corvane builds, runs and tests with,
# only those that are missing. Works as root and, for other users, with sudo.
set -euo pipefail

packages=(
    build-essential cmake git python3
    libglfw3-dev libglew-dev libglm-dev libglu1-mesa-dev libgl1-mesa-dri
    xvfb xauth
    libgtest-dev libbenchmark-dev
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "Missing packages: ${missing[*]}. Run this as root or install sudo." >&2
    exit 1
fi

echo "Installing: ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
