#!/usr/bin/env bash
# Builds Kestrova 5 (Release) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
# Asked first: without a display the build would be time lost.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && "${QT_QPA_PLATFORM:-}" != offscreen ]]; then
  echo "Kestrova 5 needs a display: no DISPLAY or WAYLAND_DISPLAY is set." >&2
  echo "Without a desktop, run it on a virtual one: xvfb-run -a -s '-screen 0 1600x1000x24' ./run.sh" >&2
  exit 1
fi
scripts/setup.sh build
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target kestrova5
exec build/release/app/kestrova5
