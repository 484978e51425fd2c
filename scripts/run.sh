#!/usr/bin/env bash
# Builds the editor and starts it (under a virtual X server when there is no display).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/src/petrinets
else
  echo "No display found: starting the editor under xvfb-run."
  exec xvfb-run -a ./build/src/petrinets
fi
