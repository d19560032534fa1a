#!/usr/bin/env bash
# Draws the program's icons from the MVG sources in res/icons and packs them.
#
#   res/make-icons.sh                  writes res/icons/vantric.ico,
#                                      res/icons/hidden.ico and docs/icon.png
#   res/make-icons.sh --out DIR        writes the same three files into DIR
#   res/make-icons.sh --sheet FILE     also writes a contact sheet of every
#                                      image, magnified, on light, dark and
#                                      blue backgrounds
#
# vantric.ico (icon 107): 16, 32 and 48 px as 32-bit bitmaps and 256 px as PNG.
# hidden.ico (icon 108): 16 px as a 32-bit bitmap.
#
# Every image is drawn at 1536 px (a multiple of 16, 32, 48 and 256) and then
# box-averaged down, so a source edge on the pixel grid stays sharp. PNGs are
# written without time stamps, so the same sources give the same bytes; the
# .ico files are committed and the build does not need ImageMagick.
set -euo pipefail

# The real ImageMagick 6, not whatever `convert` comes first on PATH.
CONVERT=/usr/bin/convert
ICOTOOL=/usr/bin/icotool
MASTER=1536

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
src=$root/res/icons
ico_dir=$src
doc_dir=$root/docs
sheet=""
while [ $# -gt 0 ]; do
  case "$1" in
    --out) ico_dir=$2; doc_dir=$2; shift 2 ;;
    --sheet) sheet=$2; shift 2 ;;
    *) echo "usage: $0 [--out DIR] [--sheet FILE]" >&2; exit 2 ;;
  esac
done
for tool in "$CONVERT" "$ICOTOOL"; do
  [ -x "$tool" ] || { echo "$0: $tool is missing (tools/install-deps.sh test)" >&2; exit 1; }
done
mkdir -p "$ico_dir" "$doc_dir"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Options that keep a PNG byte-for-byte the same from run to run: no time
# stamps, no metadata, 8 bits per channel RGBA.
png_out=(-strip -define png:exclude-chunks=date,time,tIME -define png:compression-level=9
  +set date:create +set date:modify -depth 8)

# draw OUT.png SOURCE.mvg...: one master image from the given layers, bottom
# first. Comment lines are dropped; the ImageMagick policy here refuses
# -draw @file, so the text is passed inline.
draw() {
  local out=$1
  shift
  local mvg
  mvg=$(cat "$@" | grep -v '^[[:space:]]*#')
  # MVG puts pixel centres on whole numbers; the half-pixel shift puts the
  # 256 unit square exactly on the 1536 px canvas.
  local scale=$((MASTER / 256))
  "$CONVERT" -size ${MASTER}x${MASTER} xc:none -affine "$scale,0,0,$scale,-0.5,-0.5" -draw "$mvg" \
    "${png_out[@]}" "PNG32:$out"
}

# shrink MASTER.png SIZE OUT.png: box-average to SIZE px.
shrink() {
  "$CONVERT" "$1" -scale "$2x$2" "${png_out[@]}" "PNG32:$3"
}

draw "$work/large.png" "$src/monitor.mvg" "$src/shown.mvg"
draw "$work/shown16.png" "$src/monitor-16.mvg" "$src/shown-16.mvg"
draw "$work/hidden16.png" "$src/monitor-16.mvg" "$src/hidden-16.mvg"
for size in 32 48 256; do
  shrink "$work/large.png" $size "$work/shown$size.png"
done
shrink "$work/shown16.png" 16 "$work/shown16.png"
shrink "$work/hidden16.png" 16 "$work/hidden16.png"

# icotool stores ordinary inputs as bitmaps and --raw inputs as PNG.
"$ICOTOOL" -c -b 32 -o "$ico_dir/vantric.ico" \
  "$work/shown16.png" "$work/shown32.png" "$work/shown48.png" --raw="$work/shown256.png"
"$ICOTOOL" -c -b 32 -o "$ico_dir/hidden.ico" "$work/hidden16.png"
cp "$work/shown256.png" "$doc_dir/icon.png"

if [ -n "$sheet" ]; then
  # One row per background: 256 px as is, then 48, 32 and 16 px magnified to
  # about 200 px, then 48, 32, 16 and the hidden 16 at their real size.
  rows=()
  for bg in '#ececec' '#1e1e1e' '#2f6aa8'; do
    row=$work/row${#rows[@]}.png
    "$CONVERT" -background none \
      "$work/shown256.png" \
      \( "$work/shown48.png" -scale 400% \) \( "$work/shown32.png" -scale 600% \) \
      \( "$work/shown16.png" -scale 1200% \) \( "$work/hidden16.png" -scale 1200% \) \
      \( "$work/shown48.png" "$work/shown32.png" "$work/shown16.png" "$work/hidden16.png" \
      -gravity center -bordercolor none -border 4x4 +append \) \
      -gravity center -bordercolor none -border 8x8 +append +repage -background "$bg" -flatten "$row"
    rows+=("$row")
  done
  "$CONVERT" "${rows[@]}" -append "${png_out[@]}" "$sheet"
fi
