#!/usr/bin/env bash
# clang-tidy (.clang-tidy) over the core and the command-line tool, with the
# compile commands of a configured build folder (default build/).
#   tools/tidy.sh [build-folder]
# Qt code is left out: its generated and macro code would drown the report.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
build=${1:-build}
[ -f "$build/compile_commands.json" ] || { echo "没有 $build/compile_commands.json：请先配置构建" >&2; exit 2; }
git ls-files 'src/common/*.cpp' 'src/engine/*.cpp' 'src/grid/*.cpp' 'src/data/*.cpp' 'src/stats/*.cpp' \
    'src/output/*.cpp' 'src/reports/*.cpp' 'src/settings/*.cpp' 'src/cli/*.cpp' |
  xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet --extra-arg=-Wno-unknown-warning-option
