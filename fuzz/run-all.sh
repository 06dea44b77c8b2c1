#!/usr/bin/env bash
# Builds every fuzz target with clang-14 and runs each for a while over its seed corpus.
# Usage: fuzz/run-all.sh [seconds per target, default 30] [target folder...]
# New inputs go to a temporary folder, so the seed corpora in the repository stay as they are; a
# finding is kept in build/fuzz/findings/<target>/ and makes the script fail. Files of the kind a target
# reads that packages installed here join its seeds for the run, from a scratch copy that goes with it.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
seconds="${1:-30}"
shift || true
build="${FUZZ_BUILD_DIR:-$root/build/fuzz}"

"$root/scripts/setup.sh" build test
CC=clang-14 CXX=clang++-14 cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

if (($#)); then
  folders=("$@")
  cmake --build "$build" -j "$(nproc)" --target "${folders[@]/#/fuzz_}"
else
  folders=()
  for dir in "$here"/*/; do
    [[ -f "$dir/CMakeLists.txt" ]] && folders+=("$(basename "$dir")")
  done
  cmake --build "$build" -j "$(nproc)"
fi

# Installed files a target reads: 50 at most, picked the same way each run, small enough to keep the
# fuzzer quick.
installed() {
  case "$1" in
    compressor | charset) find /usr/share/doc -type f \( -name '*.html' -o -name '*.htm' \) -size -16k ;;
    ini) find /usr/share/applications /usr/share/xsessions -type f \( -name '*.desktop' -o -name '*.ini' \) \
      -size -16k ;;
    anicursor) find /usr/share /usr/lib -type f \( -name '*.ico' -o -name '*.cur' -o -name '*.ani' \) -size -16k ;;
    gif | gifdisplay) find /usr/share/doc -type f -name '*.gif' -size -64k ;;
  esac 2>/dev/null | sort | shuf -n 50 --random-source=<(yes)
}

export QT_QPA_PLATFORM=offscreen
passed=0
failed=0
for name in "${folders[@]}"; do
  for exe in "$build/$name"/fuzz_*; do
    [[ -x "$exe" && -f "$exe" ]] || continue
    target="$(basename "$exe")"
    work="$(mktemp -d)"
    findings="$build/findings/$target"
    mkdir -p "$findings"
    seeds=()
    [[ -d "$here/$name/corpus" ]] && seeds+=("$here/$name/corpus")
    mkdir "$work.installed"
    n=0
    while read -r file; do
      n=$((n + 1))
      cp "$file" "$work.installed/$n-$(basename "$file")"
    done < <(installed "$name")
    ((n)) && seeds+=("$work.installed")
    echo "== $target: ${seconds}s"
    if "$exe" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$work" "${seeds[@]}" >"$work.log" 2>&1; then
      passed=$((passed + 1))
      grep -E '^(Done|stat::number_of_executed_units)' "$work.log" || true
    else
      failed=$((failed + 1))
      tail -n 60 "$work.log"
      echo "$target: FAILED (finding in $findings)"
    fi
    rm -rf "$work" "$work.log" "$work.installed"
  done
done
echo "fuzz: $passed passed, $failed failed"
((failed == 0))
