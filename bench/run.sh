#!/usr/bin/env bash
# make bench: the host micro-benchmarks of the sweep, then the Wine benchmark
# of a hiding run against the floor and attrib. Needs the win64 build.
#
#   bench/run.sh                      everything
#   WINE_BENCH_ARGS="--runs 11" bench/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."

echo "== host: SweepDesktopFolder (Google Benchmark)"
cmake --preset host -B build/bench/host -DVANTRIC_BENCH=ON >/dev/null
cmake --build build/bench/host --target vantric_sweep_core_bench vantric_sweep_fake_bench >/dev/null
build/bench/host/tests/vantric_sweep_core_bench
build/bench/host/tests/vantric_sweep_fake_bench

echo
echo "== Wine: a hiding run of build/win64/Vantric.exe"
# shellcheck disable=SC2086
python3 bench/wine_bench.py --vantric build/win64/Vantric.exe --floor build/win64/bench_floor.exe \
  --work build/bench/wine ${WINE_BENCH_ARGS:-}
