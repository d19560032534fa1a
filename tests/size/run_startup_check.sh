#!/usr/bin/env bash
# Runs startup_check.exe under Wine in a throwaway prefix (made once in
# WORK_DIR by bench/make-prefix.sh) and passes when it exits with 100.
#
#   tests/size/run_startup_check.sh STARTUP_CHECK_EXE WORK_DIR
set -euo pipefail

exe=$1
work=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
wine=/usr/lib/wine/wine64
[ -f "$exe" ] || { echo "FAIL: $exe does not exist (build the win64 preset)"; exit 1; }
[ -x "$wine" ] || { echo "FAIL: $wine is missing (tools/install-deps.sh test)"; exit 1; }

"$root/bench/make-prefix.sh" "$work" >/dev/null
export WINEPREFIX=$work/prefix HOME=$work/home WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY

status=0
# Wine quotes the argument that holds a blank: alpha "beta gamma".
timeout 60 "$wine" "$exe" alpha 'beta gamma' || status=$?
/usr/lib/wine/wineserver -k 2>/dev/null || true
echo "exit code $status"
[ "$status" -eq 100 ]
