#!/usr/bin/env bash
# clang-tidy (.clang-tidy) over the core and the command-line tool, with the
# compile commands of a configured build folder (default build/).
#   tools/tidy.sh [--all] [build-folder]
# By default only the sources this branch changes against main are checked
# (with the uncommitted ones, and the sources that include a changed header;
# on main itself, those of the last commit): the whole tree takes about
# 25 minutes on two busy cores, too long for every ./run test. Run it with
# --all before landing a change that touches many files, and now and then.
# Qt code is left out: its generated and macro code would drown the report.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
all=false
[ "${1:-}" = "--all" ] && { all=true; shift; }
build=${1:-build}
[ -f "$build/compile_commands.json" ] || { echo "没有 $build/compile_commands.json：请先配置构建" >&2; exit 2; }
scope=('src/common/*.cpp' 'src/engine/*.cpp' 'src/grid/*.cpp' 'src/data/*.cpp' 'src/stats/*.cpp'
       'src/output/*.cpp' 'src/reports/*.cpp' 'src/settings/*.cpp' 'src/cli/*.cpp')

changed_files() {
  local base
  base=$(git merge-base HEAD main 2>/dev/null || true)
  if [ -z "$base" ] || [ "$base" = "$(git rev-parse HEAD)" ]; then
    base=$(git rev-parse -q --verify HEAD~1 || true)
  fi
  [ -n "$base" ] || { git ls-files "${scope[@]}"; return; }
  local files
  files=$( { git diff --name-only "$base" -- src; git ls-files --others --exclude-standard src; } | sort -u)
  for f in $files; do
    [ -f "$f" ] || continue
    case "$f" in
      *.cpp) echo "$f" ;;
      *.h) git grep -l -F "#include \"${f#src/}\"" -- "${scope[@]}" || true ;;
    esac
  done
}

if $all; then
  git ls-files "${scope[@]}"
else
  # Only the files inside the scope; sort -u drops a source named twice.
  changed_files | grep -E '^src/(common|engine|grid|data|stats|output|reports|settings|cli)/[^/]+\.cpp$' | sort -u || true
fi | xargs -r -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet --extra-arg=-Wno-unknown-warning-option
