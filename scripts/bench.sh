#!/usr/bin/env bash
# Builds the benchmarks in Release into build-bench/ and runs them, reporting
# the median of 5 repetitions: first the model's, then the document window's
# (shown offscreen). Extra arguments go to both benchmark programs
# (e.g. --benchmark_filter=Select).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
if ! dpkg-query -W -f='${Status}' libbenchmark-dev 2>/dev/null | grep -q 'install ok installed'; then
  [ "$(id -u)" -eq 0 ] || { echo "Run as root to install libbenchmark-dev." >&2; exit 1; }
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends libbenchmark-dev
fi
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DPETRI_BUILD_BENCH=ON -DPETRI_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target bench_model bench_window bench_formats bench_analysis
export QT_QPA_PLATFORM=offscreen
for bench in bench_model bench_window bench_formats bench_analysis; do
  ./build-bench/bench/$bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_display_aggregates_only=true "$@"
done
