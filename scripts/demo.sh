#!/usr/bin/env bash
# Start Cartavent; without a display, run it headless and write a picture of the window.
set -euo pipefail
build=${1:-build}
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/cartavent"
fi
out="$PWD/cartavent-demo.png"
QT_QPA_PLATFORM=offscreen "$build/cartavent" --screenshot "$out"
echo "No display here: Cartavent ran headless and drew its window into $out"
