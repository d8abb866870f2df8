#!/usr/bin/env bash
# Configures a native release build with the benchmarks in build/bench, builds them and runs
# them one after the other (file_read_benchmark, data_base_benchmark, sprite_benchmark,
# image_benchmark). Arguments go to each
# benchmark program (Google Benchmark flags); without any, each
# benchmark runs 5 times and the mean, median and spread are shown. The generated data sets stay
# in build/bench/benchmark-data and are reused.
set -euo pipefail

ORVEL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ORVEL_ROOT"

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEL_BENCHMARKS=ON >/dev/null
cmake --build build/bench --target file_read_benchmark data_base_benchmark sprite_benchmark image_benchmark
[ $# -gt 0 ] || set -- --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
build/bench/benchmarks/file_read_benchmark "$@"
build/bench/benchmarks/data_base_benchmark "$@"
build/bench/benchmarks/sprite_benchmark "$@"
build/bench/benchmarks/image_benchmark "$@"
