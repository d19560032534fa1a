#!/usr/bin/env bash
# Fails when an executable is missing or larger than its budget, and always
# prints the size so the log shows how close it is.
#
#   tests/size/check_size.sh build/win32/Vantric.exe 65536
set -euo pipefail

exe=$1
budget=$2
if [ ! -f "$exe" ]; then
  echo "FAIL: $exe does not exist (build it with make)"
  exit 1
fi
size=$(stat -c %s "$exe")
echo "$exe: $size bytes of $budget ($((size * 100 / budget))% of the budget)"
if [ "$size" -gt "$budget" ]; then
  echo "FAIL: $((size - budget)) bytes over the budget"
  exit 1
fi
