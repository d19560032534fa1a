#!/usr/bin/env bash
# Builds a Windows preset a second time from a copy of the source tree in
# another folder and compares the executable with the reference build byte
# for byte. A difference means the build leaks something of the build
# machine into the output (a time stamp, a folder, an unordered list).
#
#   tests/size/check_repro.sh SOURCE_DIR PRESET REFERENCE_EXE
#
# The copy is the working tree as it is (uncommitted edits included) without
# build/ and .git, so it matches what the reference was built from as long as
# the reference is current (make builds it right before make test).
set -euo pipefail

source_dir=$1
preset=$2
reference=$3
if [ ! -f "$reference" ]; then
  echo "FAIL: $reference does not exist (build it with make)"
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vantric-repro.XXXXXX")
trap 'rm -rf "$work"' EXIT
# A path of another length and depth than the original checkout.
copy=$work/second-checkout/elsewhere/Vantric
mkdir -p "$copy"
tar -C "$source_dir" --exclude=./build --exclude=./.git -cf - . | tar -C "$copy" -xf -

if ! (cd "$copy" && cmake --preset "$preset" >"$work/configure.log" 2>&1 &&
  cmake --build --preset "$preset" >"$work/build.log" 2>&1); then
  echo "FAIL: the second build of $preset in $copy failed:"
  cat "$work/configure.log" "$work/build.log"
  exit 1
fi
second=$copy/build/$preset/Vantric.exe

sha256sum "$reference" "$second" | sed "s|$work|<tmp>|"
if cmp -s "$reference" "$second"; then
  echo "same bytes: $(stat -c %s "$reference") bytes"
  exit 0
fi
echo "FAIL: the executables differ ($(stat -c %s "$reference") and $(stat -c %s "$second") bytes);" \
  "first differing bytes (offset, octal values):"
cmp -l "$reference" "$second" | head -n 20 || true
echo "If the sources changed since the reference was built, run make and test again."
exit 1
