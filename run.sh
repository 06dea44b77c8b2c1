#!/usr/bin/env bash
# Builds Kestrova 5 (Release) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh build
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target kestrova5
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && "${QT_QPA_PLATFORM:-}" != offscreen ]]; then
  echo "Kestrova 5 needs a display: no DISPLAY or WAYLAND_DISPLAY is set (try: xvfb-run ./run.sh)." >&2
  exit 1
fi
exec build/release/app/kestrova5
