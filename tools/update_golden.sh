#!/usr/bin/env bash
# Regenerates the golden report files under tests/golden/ from the current
# build. Run it by hand only after reviewing why the outputs changed, and
# review the diff before committing it.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
build=${1:-build}
cmake --build "$build" --target golden_tests scorestat-cli
SCORESTAT_UPDATE_GOLDEN=1 "$build/bin/golden_tests"
git status --short tests/golden
