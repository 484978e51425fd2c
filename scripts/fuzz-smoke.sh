#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/ and runs each for about
# a minute (both at once, one core each), starting from the seed corpora in
# fuzz/corpus/. New inputs go to build-fuzz/work/, crashes to build-fuzz/artifacts/.
# FUZZ_SECONDS overrides the time per target.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-60}"
bash scripts/deps.sh
if ! command -v clang++ >/dev/null; then
  echo "The fuzz targets need clang (with libclang-rt-dev for libFuzzer)." >&2
  exit 1
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPETRI_BUILD_FUZZ=ON -DPETRI_BUILD_TESTS=OFF >/dev/null
targets=(fuzz_load_document fuzz_paste_clipboard)
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"
mkdir -p build-fuzz/artifacts
export LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp"
pids=()
for t in "${targets[@]}"; do
  mkdir -p "build-fuzz/work/$t"
  ./build-fuzz/fuzz/"$t" "build-fuzz/work/$t" "fuzz/corpus/$t" \
    -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=256 \
    -artifact_prefix="build-fuzz/artifacts/$t-" -print_final_stats=1 >"build-fuzz/$t.log" 2>&1 &
  pids+=($!)
done
status=0
for i in "${!targets[@]}"; do
  if wait "${pids[$i]}"; then
    echo "${targets[$i]}: $(grep -m1 'number_of_executed_units' "build-fuzz/${targets[$i]}.log" | awk '{print $2}') runs, no findings"
  else
    echo "${targets[$i]}: FAILED, see build-fuzz/${targets[$i]}.log" >&2
    status=1
  fi
done
exit $status
