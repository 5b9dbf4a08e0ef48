#!/usr/bin/env bash
# Renders the committed PNG icons from the SVG after a change to the picture
# (needs librsvg2-bin). The package installs the committed files, so that a
# build needs no SVG renderer.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/../dist/icons"
id=io.github.scorestat.ScoreStat
for size in 48 256; do
  rsvg-convert -w "$size" -h "$size" "$id.svg" -o "$id-$size.png"
done
