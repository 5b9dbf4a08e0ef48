#!/usr/bin/env bash
# Builds the Debian package from an already-built tree and checks it as a
# school's computer would meet it: lintian without errors (the accepted
# warnings are listed in docs/packaging.md), the expected files, valid menu
# entry, file type and software-centre data, and the unpacked programs
# working from their own root: --version, an import of the sample, a report,
# and the bash completion offering the sample's subjects.
#   tools/check_package.sh [build-dir]     (default: build)
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
build=${1:-build}

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$PWD/$build"/scorestat_*_amd64.deb)
id=io.github.scorestat.ScoreStat
fail() { echo "软件包检查失败 / package check failed: $*" >&2; exit 1; }

# lintian exits non-zero on an error; run as root it says so, which is noise.
lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1 | grep -v "root privileges" || true
lintian --fail-on error -q "$deb" >/dev/null 2>&1 || fail "lintian reports errors"

listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in usr/bin/scorestat usr/bin/scorestat-cli usr/lib/scorestat/scorestat-cli-paint \
  usr/share/scorestat/help/index.html \
  usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
  usr/share/mime/packages/scorestat.xml usr/share/icons/hicolor/scalable/apps/$id.svg \
  usr/share/icons/hicolor/48x48/apps/$id.png usr/share/icons/hicolor/256x256/apps/$id.png \
  usr/share/man/man1/scorestat.1.gz usr/share/man/man1/scorestat-cli.1.gz \
  usr/share/bash-completion/completions/scorestat-cli \
  usr/share/doc/scorestat/copyright usr/share/doc/scorestat/changelog.gz; do
  grep -qxF "./$f" <<<"$listing" || fail "$f is not in the package"
done

root=$(mktemp -d "${TMPDIR:-/tmp}/scorestat_package_XXXXXX")
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/$id.metainfo.xml" >/dev/null ||
  appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml"
mkdir -p "$root/mime/packages"
cp "$root/usr/share/mime/packages/scorestat.xml" "$root/mime/packages/"
update-mime-database "$root/mime" 2>/dev/null
grep -q "application/x-scorestat-grid:\*.scg" "$root/mime/globs2" || fail "no MIME type for *.scg"

# The unpacked programs with a home of their own: installed, the database
# goes under XDG_DATA_HOME whatever the program folder allows.
export HOME=$root/home XDG_DATA_HOME=$root/home/data QT_QPA_PLATFORM=offscreen
cli=$root/usr/bin/scorestat-cli
"$cli" --version | grep -qx "scorestat-cli [0-9.]*" || fail "scorestat-cli --version"
"$root/usr/bin/scorestat" --version | grep -qx "scorestat [0-9.]*" || fail "scorestat --version"
"$cli" import examples/sample.xlsx >/dev/null 2>&1 || fail "the import of examples/sample.xlsx"
[ -f "$XDG_DATA_HOME/scorestat/suju/sujuf.db" ] || fail "the database is not under XDG_DATA_HOME"
"$cli" report gbkm --subject 语文 -o "$root/gbkm.csv" 2>/dev/null || fail "report gbkm"
grep -q "语文" "$root/gbkm.csv" || fail "report gbkm wrote no 语文"
# A PDF is painted by scorestat-cli-paint, which scorestat-cli starts.
"$cli" report gbkm --subject 语文 -o "$root/gbkm.pdf" 2>/dev/null || fail "report gbkm to PDF"
head -c 5 "$root/gbkm.pdf" | grep -q "%PDF-" || fail "report gbkm wrote no PDF"

# The completion, as bash would call it after `scorestat-cli report gbkm 语`.
PATH=$root/usr/bin:$PATH bash -c '
  source /usr/share/bash-completion/bash_completion
  source "$1/usr/share/bash-completion/completions/scorestat-cli"
  COMP_WORDS=(scorestat-cli report gbkm 语); COMP_CWORD=3; COMP_LINE="scorestat-cli report gbkm 语"
  COMP_POINT=${#COMP_LINE}
  _scorestat_cli
  printf "%s\n" "${COMPREPLY[@]}"' _ "$root" | grep -qx "语文" || fail "completion of the subject 语文"
echo "软件包检查通过 / package checks passed: $deb" >&2
