#!/usr/bin/env bash
# Builds the core, the command-line tool and the core tests with address and
# undefined-behaviour sanitizers in build-asan and runs the tests there.
#   tools/sanitize_test.sh [ctest arguments...]
# Any sanitizer report fails the test that caused it. The only suppression is
# tools/lsan.supp, for a leak inside FreeXL (a third-party library).
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."

dir=build-asan
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
# GCC bug 105616: with -fsanitize=address, -Wmaybe-uninitialized reports the
# std::string inside an initialized std::variant; a false positive here only.
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCORESTAT_SANITIZE=ON \
  -DSCORESTAT_BUILD_GUI=OFF -DSCORESTAT_BUILD_BENCH=OFF -DSCORESTAT_WERROR=$werror \
  -DCMAKE_CXX_FLAGS=-Wno-maybe-uninitialized >/dev/null
cmake --build "$dir" -j "$(nproc)"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp"
# The golden outputs are checked by the normal build; here they would only
# repeat the CLI tests' reports at several times the cost.
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" -LE golden "$@"
