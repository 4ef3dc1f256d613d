#!/usr/bin/env bash
# Makes the two pictures in docs/ under Xvfb:
#   docs/render-check.png  a few bodies at known positions (the tool checks them)
#   docs/screenshot.png    GpuBox500 after 40 frames of its own run (about a second)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" --target corvane_render_check corvane_app_screenshot >/dev/null
bin="$root/build/bin"
xvfb-run -a -s "-screen 0 1024x1024x24 -noreset" sh -c \
    "'$bin/corvane_render_check' '$root/docs/render-check.png' && '$bin/corvane_app_screenshot' '$root/docs/screenshot.png' 40"
