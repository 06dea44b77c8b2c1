#!/bin/sh
# Builds the text control benchmark in release mode and runs it; arguments go to the program
# (--sizes 1,10,100  --peer-max MB  --no-oneline  --inputs ascii,real  --only-load N).
set -e
cd "$(dirname "$0")/../.."
cmake -S . -B build/bench-textcontrol -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTROVA_BENCH=ON >/dev/null
cmake --build build/bench-textcontrol --target bench_textcontrol
exec build/bench-textcontrol/bench/textcontrol/bench_textcontrol "$@"
