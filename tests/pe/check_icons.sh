#!/usr/bin/env bash
# The committed icons are what res/make-icons.sh draws from res/icons/*.mvg:
# draws them again into a scratch folder and compares the bytes.
#   check_icons.sh SCRATCH_DIR
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
scratch=${1:?usage: $0 SCRATCH_DIR}
rm -rf "$scratch"
"$root/res/make-icons.sh" --out "$scratch"

status=0
for pair in "res/icons/vantric.ico vantric.ico" "res/icons/hidden.ico hidden.ico" "docs/icon.png icon.png"; do
  read -r committed drawn <<<"$pair"
  old=$(sha256sum <"$root/$committed" | cut -c1-16)
  new=$(sha256sum <"$scratch/$drawn" | cut -c1-16)
  if [ "$old" = "$new" ]; then
    echo "ok    $committed: sha256 $old, drawn again the same"
  else
    echo "FAIL  $committed: committed sha256 $old, drawn now $new (run res/make-icons.sh and commit)"
    status=1
  fi
done
exit $status
