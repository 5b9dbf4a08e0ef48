#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs the fuzz
# smoke tests: each target replays fuzz/regressions/<target>/ and then fuzzes
# for SCORESTAT_FUZZ_SECONDS (default 8) seconds.
#   tools/fuzz_smoke.sh            build and run the smoke tests
#   tools/fuzz_smoke.sh --build    build only (for long runs by hand)
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."

dir=build-fuzz
seconds=${SCORESTAT_FUZZ_SECONDS:-8}
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSCORESTAT_FUZZ=ON -DSCORESTAT_SANITIZE=ON -DSCORESTAT_BUILD_GUI=OFF \
  -DSCORESTAT_BUILD_TESTS=OFF -DSCORESTAT_BUILD_BENCH=OFF \
  -DSCORESTAT_FUZZ_SECONDS="$seconds" >/dev/null
cmake --build "$dir" -j "$(nproc)" --target fuzz_xls fuzz_xlsx fuzz_ods fuzz_sheet_xml fuzz_jet fuzz_grid
[ "${1:-}" = "--build" ] && exit 0
ctest --test-dir "$dir/fuzz" --output-on-failure
