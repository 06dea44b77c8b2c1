#!/usr/bin/env bash
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer and runs them.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh build test
jobs=$(nproc)
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTROVA_SANITIZE=ON -DKESTROVA_TESTS=ON -DKESTROVA_SHARED_LIBS=ON >/dev/null
# No library may link another in a circle.
scripts/check-cycles.sh build/test
cmake --build build/test -j "$jobs"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0:new_delete_type_mismatch=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
if [[ $(id -u) -eq 0 ]]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
(cd build/test && ctest --output-on-failure -j "$jobs" --timeout 900)
# Each fuzz target runs briefly over its corpus (FUZZ_SECONDS=0 skips them).
if [[ "${FUZZ_SECONDS:-15}" != 0 ]]; then
  fuzz/run-all.sh "${FUZZ_SECONDS:-15}"
fi
