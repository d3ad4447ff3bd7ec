#!/usr/bin/env bash
# Writes the committed PNG icons from the hand-drawn SVG, one per size the desktop's icon
# theme looks for. Needs ImageMagick (with its SVG reader) only to run this tool.
#
#     tools/make_icons.sh
set -euo pipefail
cd "$(dirname "$0")/.."

svg=packaging/icons/mirvalentopraxius.svg
svg_size=48 # the drawing's own grid
css_dpi=96  # the SVG reader's pixels per inch
for size in 16 32 48 64 128 256; do
    # Rendering at the size's own density keeps edges sharp (no downscaling blur).
    convert -background none -density $((css_dpi * size / svg_size)) "$svg" -strip \
        -define png:exclude-chunks=date,time "PNG32:packaging/icons/mirvalentopraxius-$size.png"
done
